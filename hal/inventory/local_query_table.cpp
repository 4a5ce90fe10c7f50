// The query table the SMBus back end builds itself: every category and slot of the table's
// layout, the local sensor, inventory, security and LCD queries in their slots, NotSupportedEntry
// where none of them serves, and empty slots where the layout has none.
#include "inventory_state.h"
#include "query_api_table.h"
#include "sensor_queries.h"

namespace mgx::hal {

namespace {

constexpr QueryEntry supported_nowhere = &NotSupportedEntry;

QueryEntry sensors[6], memory[10], processor[3], category_5[3], category_4[3], category_10[2], power_supply[1], category_7[4],
    security[2], physical_container[2], inventory[1], category_8[1], category_13[2], category_14[2], category_15[2],
    category_16[2], category_17[2], lcd[5];

template <std::size_t count>
QueryEntry *filled(QueryEntry (&slots)[count]) {
    for (QueryEntry &slot : slots) slot = supported_nowhere;
    return slots;
}

template <std::size_t count>
QueryEntry *empty(QueryEntry (&slots)[count]) {
    for (QueryEntry &slot : slots) slot = nullptr;
    return slots;
}

QueryCategory table[query_category_count];

}  // namespace

std::int32_t NotSupportedEntry(...) { return 4; }

std::uint32_t install_local_query_table() {
    const QueryCategory categories[query_category_count] = {
        {1, filled(sensors), 1},
        {2, filled(memory), 1},
        {3, filled(processor), 1},
        {5, filled(category_5), 0},
        {4, filled(category_4), 0},
        {10, filled(category_10), 0},
        {11, filled(power_supply), 1},
        {7, filled(category_7), 0},
        {6, filled(security), 1},
        {12, filled(physical_container), 1},
        {9, filled(inventory), 1},
        {8, filled(category_8), 0},
        {13, empty(category_13), 0},
        {14, empty(category_14), 0},
        {15, filled(category_15), 0},
        {16, filled(category_16), 0},
        {17, filled(category_17), 0},
        {18, nullptr, 0},
        {19, nullptr, 0},
        {20, nullptr, 0},
        {21, nullptr, 0},
        {22, filled(lcd), 0},
    };
    sensors[0] = as_query_entry(local_sensor_count);
    sensors[1] = as_query_entry(local_sensor_info);
    sensors[2] = as_query_entry(local_current_value);
    sensors[5] = as_query_entry(local_sensor_fru);
    memory[3] = as_query_entry(local_memory_module_fru);
    processor[2] = as_query_entry(local_processor_fru);
    power_supply[0] = as_query_entry(local_power_supply_info);
    security[0] = as_query_entry(local_security_info);
    physical_container[1] = as_query_entry(local_physical_container_fru);
    inventory[0] = as_query_entry(local_inventory_fru);
    lcd[0] = as_query_entry(local_lcd_description);
    lcd[3] = as_query_entry(local_lcd_text);
    for (std::size_t entry = 0; entry < query_category_count; ++entry) table[entry] = categories[entry];
    inventory_state().query_api_table = table;
    return query_category_count;
}

bool local_query_table_installed() { return inventory_state().query_api_table == table; }

}  // namespace mgx::hal
