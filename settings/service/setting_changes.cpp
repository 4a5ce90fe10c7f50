#include "setting_changes.h"

namespace mgx::service {

std::string boot_function_text(std::uint16_t timeout_seconds, std::uint8_t retries) {
    if (timeout_seconds == hal::boot_monitoring::off) return "off";
    return "on, " + std::to_string(timeout_seconds / hal::boot_monitoring::seconds_per_minute) + " min, " +
           std::to_string(retries) + " retries";
}

const char *retry_method_name(std::int32_t method) {
    switch (method) {
    case hal::boot_monitoring::PowerCycle: return "power-cycle";
    case hal::boot_monitoring::Reboot: return "reboot";
    default: return "unknown";
    }
}

std::vector<LoggedChange> boot_monitoring_changes(const hal::BootMonitorSettings &before, const hal::BootMonitorSettings &after) {
    return {{"POST monitoring", boot_function_text(before.post_timeout, before.post_retries),
             boot_function_text(after.post_timeout, after.post_retries)},
            {"OS-boot monitoring", boot_function_text(before.os_boot_timeout, before.os_boot_retries),
             boot_function_text(after.os_boot_timeout, after.os_boot_retries)},
            {"the retry method", retry_method_name(before.retry_method), retry_method_name(after.retry_method)}};
}

std::vector<LoggedChange> changed_only(const std::vector<LoggedChange> &changes) {
    std::vector<LoggedChange> changed;
    for (const LoggedChange &change : changes)
        if (change.differs()) changed.push_back(change);
    return changed;
}

std::vector<LoggedChange> notification_changes(const store::NotificationSwitches &before,
                                               const store::NotificationSwitches &after) {
    const auto shown = [](DWORD on) { return std::string(on ? "on" : "off"); };
    std::vector<LoggedChange> changes;
    if ((before.lcd != 0) != (after.lcd != 0)) changes.push_back({notification_lcd_what, shown(before.lcd), shown(after.lcd)});
    if ((before.screen != 0) != (after.screen != 0))
        changes.push_back({notification_screen_what, shown(before.screen), shown(after.screen)});
    return changes;
}

std::string safe_mode_text(std::int32_t mode) {
    return mode == 0 ? std::string("on") : mode == 1 ? std::string("off") : "unknown (" + std::to_string(mode) + ")";
}

}  // namespace mgx::service
