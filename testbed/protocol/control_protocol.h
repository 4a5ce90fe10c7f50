// The commands of the virtual server's control pipe ("\\.\pipe\MgxTestbedControl"), one JSON
// object each with its "command", and the names of their members; the server, mgxtool's testbed
// commands, the test support, the picture tour and the benchmarks name them from here.
#pragma once

namespace mgx::testbed::control {

inline constexpr const char *status = "status", *profiles = "profiles", *use_profile = "use-profile", *reset = "reset",
                            *set_unit = "set-unit", *set_sdr = "set-sdr", *link_sdr = "link-sdr", *set_fru = "set-fru",
                            *set_sensor = "set-sensor", *set_chassis = "set-chassis", *set_lcd_panel = "set-lcd-panel",
                            *advance_clock = "advance-clock", *add_fault = "add-fault", *clear_faults = "clear-faults",
                            *faults = "faults", *log = "log", *clear_log = "clear-log", *smbios = "smbios",
                            *sel_entry = "sel-entry", *add_sel = "add-sel", *clear_sel = "clear-sel";

namespace key {

// Every request names its command; every reply says whether it was carried out, and if not, why.
inline constexpr const char *command = "command", *ok = "ok", *error = "error";

// The requests' arguments: use-profile {profile}, set-unit {unit}, set-sdr {dump}, link-sdr
// {from, to}, set-fru {image}, set-sensor {sensor}, set-chassis {status}, set-lcd-panel
// {lcd_panel}, advance-clock {ms}, add-fault {fault}, log {since}, sel-entry {record_id},
// add-sel {data}; byte strings are hexadecimal text.
inline constexpr const char *profile = "profile", *unit = "unit", *dump = "dump", *from = "from", *to = "to",
                            *image = "image", *sensor = "sensor", *chassis_status = "status", *lcd_panel = "lcd_panel",
                            *ms = "ms", *fault = "fault", *since = "since", *record_id = "record_id", *data = "data";

// A fault: its kind, the device ("any" or a device's name) and the request it matches (network
// function, command, SMBus address), how often ("always" or a count), the completion code it
// answers with and how many matching requests it lets pass first.
inline constexpr const char *kind = "kind", *device = "device", *netfn = "netfn", *address = "address", *count = "count",
                            *code = "code", *skip = "skip";

// A sensor to set: its owner and number, and the raw reading, flags and states it answers.
inline constexpr const char *owner = "owner", *number = "number", *raw = "raw", *flags = "flags", *states = "states";

// The replies: the machine list (profiles), the faults (faults, also in the status), the
// exchange log's entries, an event log record (found, record_id, next_record_id, data), and
// the status's sections.
inline constexpr const char *profiles = "profiles", *faults = "faults", *entries = "entries", *found = "found",
                            *next_record_id = "next_record_id", *smbios = "smbios", *device_id = "device_id",
                            *platform = "platform", *smbus = "smbus", *log = "log", *state_file = "state_file",
                            *unusable_state = "unusable_state";

}  // namespace key

}  // namespace mgx::testbed::control
