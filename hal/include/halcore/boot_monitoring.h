// The rules of POST and OS-boot monitoring that every program setting them follows: time-outs
// are chosen in minutes and kept by the unit in seconds, a time-out of 0 switches a function
// off, and the retry method is one of two codes.
#pragma once

#include <cstdint>

#include "back_end_state.h"
#include "command_records.h"
#include "mgx_call.h"

namespace mgx::hal::boot_monitoring {

inline constexpr std::uint16_t minimum_minutes = 15, maximum_minutes = 999;
inline constexpr std::uint16_t post_default_minutes = 30, os_boot_default_minutes = 60;
inline constexpr std::uint8_t minimum_retries = 1, maximum_retries = 5, default_retries = 2;
inline constexpr std::uint16_t off = 0;  // the time-out of a function switched off
inline constexpr std::uint16_t seconds_per_minute = 60;

enum RetryMethod : std::int32_t {
    PowerCycle = 0,  // power off, then on again
    Reboot = 1,      // reboot by hardware reset
};

constexpr bool usable_retry_method(std::int32_t method) { return method == PowerCycle || method == Reboot; }
constexpr bool usable_retries(std::uint8_t retries) { return retries >= minimum_retries && retries <= maximum_retries; }
constexpr bool usable_minutes(std::uint32_t minutes) { return minutes >= minimum_minutes && minutes <= maximum_minutes; }
// A time-out read from the unit: off, or whole minutes within the range.
constexpr bool usable_timeout(std::uint16_t seconds) { return seconds == off || usable_minutes(seconds / seconds_per_minute); }

// POST monitoring may be switched on everywhere but on back-end state 4, whose unit cannot
// watch the POST.
constexpr bool post_may_be_switched_on(std::int32_t back_end_state) { return back_end_state != ImbUpS450; }

// The unit can watch the OS boot: its panel state says so (an LCD panel with OS-boot
// monitoring). False when the panel cannot be read.
inline bool unit_can_watch_os_boot() {
    MgxPanelState panel{};
    return mgx_call<CommandType::PanelRead>(panel) == 0 && panel.os_boot_monitoring_supported();
}

// Two records hold the same settings: time-outs, retries and retry method (the selector bytes
// are not compared; a read leaves them as they were).
constexpr bool same_settings(const BootMonitorSettings &a, const BootMonitorSettings &b) {
    return a.post_timeout == b.post_timeout && a.post_retries == b.post_retries && a.os_boot_timeout == b.os_boot_timeout &&
           a.os_boot_retries == b.os_boot_retries && a.retry_method == b.retry_method;
}

}  // namespace mgx::hal::boot_monitoring
