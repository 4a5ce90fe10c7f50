// Halcore's status codes. 0 is success; a management-unit completion code (1 to 255) is passed
// through unchanged, so callers cannot tell it from a library code of the same value.
#pragma once

#include <cstdint>

namespace mgx::hal::status {

inline constexpr std::int32_t ok = 0;
inline constexpr std::int32_t transport_failure = 1;     // library path failed, header mismatch, SMBus probe failed
inline constexpr std::int32_t program_name_failed = 20;  // also: service manager (stop), lock-status memory
inline constexpr std::int32_t database_lock_failed = 21;
inline constexpr std::int32_t service_registry_failed = 22;
inline constexpr std::int32_t service_still_in_use = 23;
inline constexpr std::int32_t smbios_absent = 24;
inline constexpr std::int32_t interface_unavailable = 25;
inline constexpr std::int32_t library_load_failed = 26;  // Imbapi.dll or sensor.dll
inline constexpr std::int32_t entry_point_missing = 27;
inline constexpr std::int32_t service_manager_failed = 28;  // also: creating or opening a service
inline constexpr std::int32_t service_not_started = 29;
inline constexpr std::int32_t sfs_load_failed = 31;
inline constexpr std::int32_t bmc_load_failed = 32;
inline constexpr std::int32_t bmc_entry_missing = 33;
inline constexpr std::int32_t driver_not_found = 100;  // also: opening the device failed
inline constexpr std::int32_t device_not_open_at_close = 101;
inline constexpr std::int32_t smb_answer_wrong = 104;  // SMBus device answer: checksum, status byte or echo
inline constexpr std::int32_t smb_status_read_failed = 106;
inline constexpr std::int32_t smb_write_not_counted = 107;  // the device's write counter did not advance by one
inline constexpr std::int32_t send_receive_failed = 109;
inline constexpr std::int32_t device_lock_failed = 110;
inline constexpr std::int32_t answer_checksum_wrong = 111;
inline constexpr std::int32_t answer_too_short = 112;
inline constexpr std::int32_t bad_argument = 113;
inline constexpr std::int32_t no_device = 114;

}  // namespace mgx::hal::status
