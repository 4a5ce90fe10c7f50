// The requests the simulated controller answers, by network function and command code. The
// testbed names them here on its own, independently of the product's headers, so that it checks
// the codes the product sends instead of sharing them.
#pragma once

#include <cstdint>

namespace mgx::testbed {

namespace netfn {
inline constexpr std::uint8_t chassis = 0x00, sensor = 0x04, application = 0x06, storage = 0x0A, unit = 0x3A;
}  // namespace netfn

namespace chassis_command {
inline constexpr std::uint8_t get_status = 0x01;
}  // namespace chassis_command

namespace sensor_command {
inline constexpr std::uint8_t get_reading = 0x2D;
}  // namespace sensor_command

namespace application_command {
inline constexpr std::uint8_t get_device_id = 0x01, lcd_line = 0x31, lcd_description = 0x34;
}  // namespace application_command

namespace storage_command {
inline constexpr std::uint8_t fru_area_info = 0x10, read_fru = 0x11, write_fru = 0x12, reserve_repository = 0x22,
                              get_repository_record = 0x23;
}  // namespace storage_command

// The management unit's own commands.
namespace unit_command {
inline constexpr std::uint8_t fan_control = 0x20, fan_status = 0x21, panel_control = 0x22, panel_read = 0x23,
                              get_running_time = 0x30, set_running_time = 0x31, maintenance_info = 0x32,
                              set_maintenance_info = 0x33, memory_maintenance = 0x34, set_memory_maintenance = 0x35,
                              read_store = 0x38, write_store = 0x39, safe_mode = 0x41, set_safe_mode = 0x42,
                              boot_monitoring = 0x43, set_boot_monitoring = 0x44, set_system_config_last = 0x50,
                              unit_fru_area_info = 0x51, read_unit_fru = 0x52, write_unit_fru = 0x53, system_information = 0x54,
                              set_system_information = 0x55;
}  // namespace unit_command

}  // namespace mgx::testbed
