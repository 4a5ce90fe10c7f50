// The settings of the unit and the product key as every writer names them in what it reports and
// in the change log: mgxtool and the settings program's dialogs say the same words for the same
// change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <halcore/boot_monitoring.h>
#include <halcore/command_records.h>

#include "change_log.h"
#include "lifetime_store.h"

namespace mgx::service {

// "off", or "on, 5 min, 3 retries".
std::string boot_function_text(std::uint16_t timeout_seconds, std::uint8_t retries);
// "power-cycle", "reboot" or "unknown".
const char *retry_method_name(std::int32_t method);
// POST monitoring, OS-boot monitoring and the retry method, before and after, each whether it
// changed or not.
std::vector<LoggedChange> boot_monitoring_changes(const hal::BootMonitorSettings &before, const hal::BootMonitorSettings &after);
// Only those that changed.
std::vector<LoggedChange> changed_only(const std::vector<LoggedChange> &changes);

inline constexpr const char *notification_lcd_what = "notification on the LCD panel",
                            *notification_screen_what = "notification on the screen";
// The notification methods that differ between `before` and `after`, each "on" or "off".
std::vector<LoggedChange> notification_changes(const store::NotificationSwitches &before,
                                               const store::NotificationSwitches &after);

// The safe power-off mode as the unit keeps it (0 on, 1 off): "on", "off" or "unknown (N)".
std::string safe_mode_text(std::int32_t mode);
inline constexpr const char *safe_mode_what = "the safe power-off mode";

}  // namespace mgx::service
