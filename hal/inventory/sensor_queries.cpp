#include "sensor_queries.h"

#include <halcore/sensor_types.h>
#include <halcore/status_codes.h>

#include "controller_requests.h"
#include "fru_collector.h"
#include "sensor_cache.h"
#include "sensor_lock.h"

namespace mgx::hal {

namespace {

using query_result::failed, query_result::not_supported, query_result::out_of_range;
constexpr int reading_attempts = 10;

bool has_state_set(const SensorDescription &sensor, std::uint32_t reading_type) {
    for (std::uint32_t i = 0; i < sensor.state_set_count && i < sensor.state_sets.size(); ++i)
        if (sensor.state_sets[i].reading_type == reading_type) return true;
    return false;
}

// The 1-based position of the first power unit that shares the power supply's entity, or none.
std::int32_t power_unit_of(std::uint32_t index) {
    const SensorCache &cache = sensor_cache();
    const auto supply = cache.slot(sensor_type::power_supply, index);
    if (!supply) return no_value;
    for (std::int32_t unit = 1; unit <= cache.count(sensor_type::power_unit); ++unit) {
        const SensorSlot slot = *cache.slot(sensor_type::power_unit, static_cast<std::uint32_t>(unit));
        if (slot.entity_id == supply->entity_id && slot.entity_instance == supply->entity_instance) return unit;
    }
    return no_value;
}

}  // namespace

std::int32_t local_sensor_count(std::uint32_t sensor_type, std::int32_t *count) {
    SensorLockScope lock;
    if (!count) return status::bad_argument;
    *count = sensor_cache().count(sensor_type);
    return SensorCache::valid_type(sensor_type) ? status::ok : out_of_range;
}

std::int32_t local_sensor_info(std::uint32_t sensor_type, std::uint32_t index, SensorInfoRecord *record) {
    SensorLockScope lock;
    const auto slot = sensor_cache().slot(sensor_type, index);
    if (!slot) return out_of_range;
    if (!record) return status::bad_argument;
    fill_sensor_info(*slot->description, *record);
    // Slots of a shared record share its description but not its number: each is named by its own,
    // the number its readings are asked with.
    record->address = (record->address & ~0xFFu) | slot->sensor_number;
    return status::ok;
}

std::int32_t local_current_value(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t reading_type,
                                 std::int32_t *value) {
    SensorLockScope lock;
    const auto slot = sensor_cache().slot(sensor_type, index);
    if (!slot) return out_of_range;
    const SensorDescription &sensor = *slot->description;
    if (sensor.kind == SensorKind::Discrete && !has_state_set(sensor, reading_type)) return failed;
    MgxResponse response{};
    const MgxRequest request = command_request(get_sensor_reading, {slot->sensor_number});
    if (send_with_attempts(request, response, static_cast<std::uint8_t>(sensor.owner_id >> 1), reading_attempts) != 0)
        return failed;
    if (response.completion_code != 0 || response.length == 0) return failed;
    if (!value) return status::bad_argument;  // only a reading that would be stored refuses it
    if (sensor.kind == SensorKind::Threshold) {
        *value = convert_reading(sensor, response.data[0]);
    } else if (response.data[1] & 0x40) {  // scanning enabled
        *value = discrete_value::make(response.data[2], static_cast<std::uint8_t>(reading_type));
    } else {
        *value = discrete_value::not_scanning;
    }
    return status::ok;
}

std::int32_t local_convert_reading(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t raw, std::int32_t *value) {
    SensorLockScope lock;
    const auto slot = sensor_cache().slot(sensor_type, index);
    if (!slot) return out_of_range;
    if (slot->description->kind != SensorKind::Threshold) return not_supported;
    if (raw > 0xFF || !value) return status::bad_argument;
    *value = convert_reading(*slot->description, static_cast<std::uint8_t>(raw));
    return status::ok;
}

std::int32_t local_sensor_detail(std::uint32_t sensor_type, std::uint32_t index, SensorDetailRecord *record) {
    SensorLockScope lock;
    const auto slot = sensor_cache().slot(sensor_type, index);
    if (!slot) return out_of_range;
    if (!record) return status::bad_argument;
    const ReadingUnit unit = slot->description->unit;
    *record = {slot->entity_id, slot->entity_instance, unit.code, unit.divisor};
    return status::ok;
}

std::int32_t local_sensor_fru(std::uint32_t sensor_type, std::uint32_t index, FruInventoryRecord *record) {
    SensorLockScope lock;
    if (sensor_type != sensor_type::power_supply) return not_supported;
    const auto slot = sensor_cache().slot(sensor_type, index);
    if (!slot) return out_of_range;
    return power_supply_fru(slot->entity_instance, record);
}

std::int32_t local_power_supply_info(std::uint32_t index, PowerSupplyInfoRecord *record) {
    SensorLockScope lock;
    if (!record) return status::bad_argument;
    // The record's eighteen words in their order.
    // clang-format off
    const std::int32_t words[18] = {power_unit_of(index), 1, no_value, no_value, no_value, no_value, no_value, no_value,
                                    no_value, no_value, 1, 1, no_value, no_value, no_value, no_value, no_value, 4};
    // clang-format on
    std::copy(std::begin(words), std::end(words), record->words);
    record->last = 0;
    return status::ok;
}

std::int32_t local_inventory_fru(std::int32_t *cursor, FruInventoryRecord *record) {
    SensorLockScope lock;
    return inventory_fru_info(cursor, record);
}

std::int32_t local_physical_container_fru(FruInventoryRecord *record) {
    SensorLockScope lock;
    return physical_container_fru_info(record);
}

std::int32_t local_memory_module_fru(std::uint32_t index, FruInventoryRecord *record) {
    SensorLockScope lock;
    return memory_module_fru_info(index, record);
}

std::int32_t local_processor_fru(std::uint32_t index, FruInventoryRecord *record) {
    SensorLockScope lock;
    return processor_fru_info(index, record);
}

}  // namespace mgx::hal
