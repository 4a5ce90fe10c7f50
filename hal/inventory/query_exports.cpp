// The forwarding query exports: each calls one slot of the process's query table with its own
// arguments and returns the slot's result; 25 without a table, 27 for an empty slot.
#include <algorithm>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "inventory_state.h"
#include "query_api_table.h"
#include "sensor_queries.h"
#include "trace.h"

using namespace mgx::hal;

namespace {

constexpr std::int32_t no_table = status::interface_unavailable;
constexpr std::int32_t empty_slot = status::entry_point_missing;

// The slot at (entry, slot) of the table, or NULL.
QueryEntry slot_of(std::size_t entry, std::size_t slot) {
    const auto *table = static_cast<const QueryCategory *>(inventory_state().query_api_table);
    const QueryEntry *slots = table[entry].slots;
    return slots ? slots[slot] : nullptr;
}

template <typename... Arguments>
std::int32_t forward(std::size_t entry, std::size_t slot, Arguments... arguments) {
    if (!inventory_state().query_api_table) return no_table;
    const QueryEntry call = slot_of(entry, slot);
    return call ? call(arguments...) : empty_slot;
}

}  // namespace

extern "C" {

std::int32_t HCXGetSensorNumber(std::uint32_t sensor_type, std::int32_t *count) {
    const std::int32_t result = forward(0, 0, sensor_type, count);
    HAL_TRACE_AT(trace_imb, 291, "\nAccessReturn  = %d nSensorType = %d", static_cast<int>(result),
                 static_cast<int>(sensor_type));
    return result;
}

std::int32_t HCXGetSensorInfo(std::uint32_t sensor_type, std::uint32_t index, SensorInfoRecord *record) {
    const std::int32_t result = forward(0, 1, sensor_type, index, record);
    // The name carries no terminator: never more of it than its length, nor past its field.
    const int name_length = record ? std::min<int>(record->name_length, sizeof record->name) : 0;
    HAL_TRACE_AT(trace_imb, 330, "\nAccessReturn  = %d nSensorType = %d sensor Name  = %.*s", static_cast<int>(result),
                 static_cast<int>(sensor_type), name_length, record ? record->name : "");
    return result;
}

std::int32_t HCXGetSensorCurrentVal(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t reading_type,
                                    std::int32_t *value) {
    return forward(0, 2, sensor_type, index, reading_type, value);
}

std::int32_t HCXGetSensorThreshVal(std::uintptr_t first, std::uintptr_t second, std::uintptr_t third, std::uintptr_t fourth) {
    return forward(0, 4, first, second, third, fourth);
}

std::int32_t HCXGetSensorFru(std::uint32_t sensor_type, std::uint32_t index, void *record) {
    return forward(0, 5, sensor_type, index, record);
}

std::int32_t HCXConvertSensorReading(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t raw, std::int32_t *value) {
    if (!inventory_state().query_api_table) return no_table;
    if (!local_query_table_installed()) return query_result::not_supported;
    return local_convert_reading(sensor_type, index, raw, value);
}

std::int32_t HCXGetSensorDetail(std::uint32_t sensor_type, std::uint32_t index, SensorDetailRecord *record) {
    if (!inventory_state().query_api_table) return no_table;
    if (!local_query_table_installed()) return query_result::not_supported;
    return local_sensor_detail(sensor_type, index, record);
}

std::int32_t HCXGetMemModErrInfo(std::uintptr_t first, std::uintptr_t second) { return forward(1, 2, first, second); }
std::int32_t HCXGetMemModFruInfo(std::uint32_t index, void *record) { return forward(1, 3, index, record); }
std::int32_t HCXGetMemDevErrInfo(std::uintptr_t first, std::uintptr_t second) { return forward(1, 8, first, second); }
std::int32_t HCXGetMemDevFruInfo(std::uintptr_t first, std::uintptr_t second) { return forward(1, 9, first, second); }
std::int32_t HCXGetProcFruInfo(std::uint32_t index, void *record) { return forward(2, 2, index, record); }
std::int32_t HCXGetPSUInfo(std::uint32_t index, void *record) { return forward(6, 0, index, record); }
std::int32_t HCXGetSysSecurityInfo(void *record) { return forward(8, 0, record); }
std::int32_t HCXGetPhysContInfo(std::uintptr_t argument) { return forward(9, 0, argument); }
std::int32_t HCXGetPhysContFruInfo(void *record) { return forward(9, 1, record); }
std::int32_t HCXGetInvFruInfo(void *cursor, void *record) { return forward(10, 0, cursor, record); }
std::int32_t HCXGetLCDFru(std::uintptr_t argument) { return forward(21, 1, argument); }

std::int32_t HCXGetLCDInfo(void *description, void *text) {
    if (!inventory_state().query_api_table) return no_table;
    const QueryEntry describe = slot_of(21, 0), read_text = slot_of(21, 3);
    if (!describe || !read_text) return empty_slot;
    const std::int32_t result = describe(description);
    return result == 0 ? read_text(text) : result;
}
}
