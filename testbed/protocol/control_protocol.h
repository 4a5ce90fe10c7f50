// The commands of the virtual server's control pipe ("\\.\pipe\MgxTestbedControl"), one JSON
// object each with its "command"; the server, mgxtool's testbed commands, the test support,
// the picture tour and the benchmarks name them from here.
#pragma once

namespace mgx::testbed::control {

inline constexpr const char *status = "status", *profiles = "profiles", *use_profile = "use-profile", *reset = "reset",
                            *set_unit = "set-unit", *set_sdr = "set-sdr", *link_sdr = "link-sdr", *set_fru = "set-fru",
                            *set_sensor = "set-sensor", *set_chassis = "set-chassis", *set_lcd_panel = "set-lcd-panel",
                            *advance_clock = "advance-clock", *add_fault = "add-fault", *clear_faults = "clear-faults",
                            *faults = "faults", *log = "log", *clear_log = "clear-log", *smbios = "smbios",
                            *sel_entry = "sel-entry", *add_sel = "add-sel", *clear_sel = "clear-sel";

}  // namespace mgx::testbed::control
