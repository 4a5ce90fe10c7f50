// The FRU inventory behind the repository's device locators: read from the controller during
// the walk, decoded into five lists, and the queries that copy records out of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include <halcore/query_records.h>

namespace mgx::hal {

inline constexpr std::size_t inventory_buffer_size = 512;
using InventoryBuffer = std::array<std::uint8_t, inventory_buffer_size>;

// Reads FRU device 0 whole (at most the buffer): 0, the transport's status, a completion code,
// or 1 for an answer whose count does not match its bytes. `read` is how many bytes arrived.
std::int32_t read_fru_inventory(InventoryBuffer &buffer, std::size_t &read);

// One device locator record from the walk, from its first byte.
void collect_fru(std::span<const std::uint8_t> locator);
void clear_psu_instances();
void free_fru_lists();

// The local query implementations (NULL pointers give 113).
std::int32_t inventory_fru_info(std::int32_t *cursor, FruInventoryRecord *record);
std::int32_t physical_container_fru_info(FruInventoryRecord *record);
std::int32_t memory_module_fru_info(std::uint32_t index, FruInventoryRecord *record);
std::int32_t processor_fru_info(std::uint32_t index, FruInventoryRecord *record);

// The power-supply record the locator with entity instance `instance` produced: 0, or 1 when
// there is none (or `instance` is 0 or `record` NULL).
std::int32_t power_supply_fru(std::uint8_t instance, FruInventoryRecord *record);

}  // namespace mgx::hal
