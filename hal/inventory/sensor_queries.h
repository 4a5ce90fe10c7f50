// The local sensor queries of the SMBus back end, answered from the sensor cache with live
// readings from the sensors' owners. Each holds the sensor lock while it runs.
#pragma once

#include <cstdint>

#include <halcore/query_records.h>

namespace mgx::hal {

std::int32_t local_sensor_count(std::uint32_t sensor_type, std::int32_t *count);
std::int32_t local_sensor_info(std::uint32_t sensor_type, std::uint32_t index, SensorInfoRecord *record);
std::int32_t local_current_value(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t reading_type, std::int32_t *value);
std::int32_t local_sensor_fru(std::uint32_t sensor_type, std::uint32_t index, FruInventoryRecord *record);
std::int32_t local_convert_reading(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t raw, std::int32_t *value);
std::int32_t local_sensor_detail(std::uint32_t sensor_type, std::uint32_t index, SensorDetailRecord *record);
std::int32_t local_power_supply_info(std::uint32_t index, PowerSupplyInfoRecord *record);

// The inventory queries that share the table, locked likewise.
std::int32_t local_inventory_fru(std::int32_t *cursor, FruInventoryRecord *record);
std::int32_t local_physical_container_fru(FruInventoryRecord *record);
std::int32_t local_memory_module_fru(std::uint32_t index, FruInventoryRecord *record);
std::int32_t local_processor_fru(std::uint32_t index, FruInventoryRecord *record);
std::int32_t local_security_info(SecurityInfoRecord *record);
std::int32_t local_lcd_description(LcdInfoRecord *record);
std::int32_t local_lcd_text(LcdTextRecord *record);

}  // namespace mgx::hal
