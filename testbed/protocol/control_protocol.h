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
inline constexpr const char *profile = "profile", *unit = "unit", *dump = "dump", *from = "from", *to = "to", *image = "image",
                            *sensor = "sensor", *chassis_status = "status", *lcd_panel = "lcd_panel", *ms = "ms",
                            *fault = "fault", *since = "since", *record_id = "record_id", *data = "data";

// A fault: its kind, the device ("any" or a device's name) and the request it matches (network
// function, command, SMBus address), how often ("always" or a count), the completion code it
// answers with and how many matching requests it lets pass first.
inline constexpr const char *kind = "kind", *device = "device", *netfn = "netfn", *address = "address", *count = "count",
                            *code = "code", *skip = "skip";

// A sensor to set: its owner and number, and the raw reading, flags and states it answers.
inline constexpr const char *owner = "owner", *number = "number", *raw = "raw", *flags = "flags", *states = "states";

// The replies: the machine list (profiles, each with its name and description, or the error
// that keeps it from loading), the faults (faults, also in the status), the exchange log's
// entries, an event log record (found, record_id, next_record_id, data) and the SMBIOS table
// (present, major, minor, table).
inline constexpr const char *profiles = "profiles", *name = "name", *description = "description", *faults = "faults",
                            *entries = "entries", *found = "found", *next_record_id = "next_record_id", *present = "present",
                            *major = "major", *minor = "minor", *table = "table";

// The status: the machine's profile (name, description, devices, the baseboard's manufacturer
// and product), whether it has SMBIOS, the unit, its device ID, the platform side, the SMBus
// lock (owner, expires_in_ms), the LCD panel, the faults, the log (entries, next_sequence), how
// many event log records were read through the control pipe since the machine was taken, the
// state file, and what was wrong with a remembered state that could not be used (problem, file,
// kept_as).
inline constexpr const char *smbios = "smbios", *devices = "devices", *baseboard = "baseboard", *manufacturer = "manufacturer",
                            *product = "product", *device_id = "device_id", *platform = "platform", *smbus = "smbus",
                            *lock = "lock", *expires_in_ms = "expires_in_ms", *log = "log", *next_sequence = "next_sequence",
                            *state_file = "state_file", *unusable_state = "unusable_state", *problem = "problem", *file = "file",
                            *kept_as = "kept_as", *event_log_reads = "event_log_reads";

// The platform side in the status.
inline constexpr const char *repository_records = "repository_records", *repository_loaded = "repository_loaded",
                            *repository_links = "repository_links", *sensors_set = "sensors_set",
                            *fru_device_bytes = "fru_device_bytes", *fru_word_access = "fru_word_access";

// The unit in the status and in set-unit: its running-time counter (running_hours; or its base
// and since when it counts), whether the counter stands still, whether the unit answers at all,
// and its memory (the unit memory's own fields).
inline constexpr const char *running_hours = "running_hours", *running_hours_base = "running_hours_base",
                            *running_hours_since_ms = "running_hours_since_ms", *running_hours_fixed = "running_hours_fixed",
                            *silent = "silent", *memory = "memory";

// The LCD panel controller in the status and in set-lcd-panel.
inline constexpr const char *write_counter = "write_counter", *last_error = "last_error", *rci_nodes = "rci_nodes",
                            *selected_node = "selected_node", *selected_unit = "selected_unit", *selected_page = "selected_page",
                            *pages = "pages";

// One exchange in the log: its sequence number and time, the device, the request code, the
// requesting process, the input, the output capacity, the NT status, the output (its length, and
// the bytes when short enough) and a note; for a unit message also the request (netfn,
// command, data) and the answer (completion_code, data).
inline constexpr const char *sequence = "sequence", *time_ms = "time_ms", *process_id = "process_id", *input = "input",
                            *output_capacity = "output_capacity", *nt_status = "status", *output_length = "output_length",
                            *output = "output", *note = "note", *request = "request", *answer = "answer",
                            *completion_code = "completion_code";

}  // namespace key

}  // namespace mgx::testbed::control
