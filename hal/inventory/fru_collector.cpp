#include "fru_collector.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include <halcore/status_codes.h>

#include "controller_requests.h"
#include "fru_inventory.h"
#include "trace.h"
#include "transport.h"

namespace mgx::hal {

namespace {

enum FruList : std::size_t { General, MemoryModule, ProcessorBoard, PowerSupply, Chassis, list_count };

constexpr std::uint8_t fru_inventory_device = 0x10;
constexpr std::uint8_t entity_memory_module = 0x08, entity_power_supply = 0x0A, entity_processor_board = 0x12;
constexpr std::size_t most_psu_instances = 8;
constexpr std::uint8_t piece_size = 8;
using query_result::list_ended;
constexpr std::int32_t not_found = query_result::failed;

struct FruState {
    std::array<std::vector<FruInventoryRecord>, list_count> lists;
    std::array<std::uint8_t, most_psu_instances> psu_instances{};
};

FruState &fru_state() {
    static FruState state;
    return state;
}

FruList list_for(std::uint8_t entity_id) {
    switch (entity_id) {
    case entity_memory_module: return MemoryModule;
    case entity_power_supply: return PowerSupply;
    case entity_processor_board: return ProcessorBoard;
    default: return General;
    }
}

// Grows the list by one record; a record that cannot be stored is dropped.
bool add_record(FruList list, const FruInventoryRecord &record) {
    try {
        fru_state().lists[list].push_back(record);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

void trace_added(const DecodedArea &area, std::int32_t record_number) {
    switch (area.area) {
    case FruArea::Board:
        HAL_TRACE_AT(trace_fru, 534, "Board FRU Data Manufacturer = %s  pRecordNumber = %d", area.record.slots[1].text,
                     record_number);
        break;
    case FruArea::Product:
        HAL_TRACE_AT(trace_fru, 624, "Product FRU Data manufacturer = %s  pRecordNumber = %d", area.record.slots[1].text,
                     record_number);
        break;
    case FruArea::Chassis:
        HAL_TRACE_AT(trace_fru, 699, "Chassi FRU Data serialNumber = %s  pRecordNumber = %d", area.record.slots[4].text,
                     record_number);
        break;
    }
}

// A NULL record is refused only where a record would be copied: an empty list or a position
// past its end answers 3 first.
std::int32_t copy_from(FruList list, std::size_t position, FruInventoryRecord *record) {
    const auto &records = fru_state().lists[list];
    if (position >= records.size()) return list_ended;
    if (!record) return status::bad_argument;
    *record = records[position];
    return status::ok;
}

std::int32_t indexed(FruList list, std::uint32_t index, FruInventoryRecord *record) {
    if (index < 1) return list_ended;
    return copy_from(list, index - 1, record);
}

}  // namespace

std::int32_t read_fru_inventory(InventoryBuffer &buffer, std::size_t &read) {
    read = 0;
    MgxResponse response{};
    if (std::int32_t status = SendControllerRequest(command_request(get_fru_area_info, {0}), &response, inventory_target))
        return status;
    if (response.completion_code != 0) return response.completion_code;
    std::size_t size = response.data[0] | response.data[1] << 8;
    if (size == 0) size = 1;
    size = std::min(size, buffer.size());  // a larger inventory is read as far as the buffer holds
    const std::size_t unit = (response.data[2] & 0x01) ? 2 : 1;
    while (read < size) {
        const auto count = static_cast<std::uint8_t>(std::min<std::size_t>(size - read, piece_size));
        const MgxRequest request =
            command_request(read_fru_data, {0, static_cast<std::uint8_t>(read), static_cast<std::uint8_t>(read >> 8), count});
        response = MgxResponse{};
        if (std::int32_t status = SendControllerRequest(request, &response, inventory_target)) return status;
        if (response.completion_code != 0) return response.completion_code;
        if (response.length < 1) return 1;
        const std::size_t arrived = response.length - 1u;
        if (arrived != response.data[0] * unit || arrived == 0) return 1;
        const std::size_t kept = std::min(arrived, buffer.size() - read);
        std::memcpy(buffer.data() + read, response.data + 1, kept);
        read += kept;
    }
    return status::ok;
}

void collect_fru(std::span<const std::uint8_t> locator) {
    if (locator.size() < 14 || locator[10] != fru_inventory_device) return;
    InventoryBuffer inventory{};
    std::size_t read = 0;
    if (read_fru_inventory(inventory, read) != status::ok) return;
    const FruList chosen = list_for(locator[12]);
    FruState &state = fru_state();
    const std::size_t before = state.lists[chosen].size();
    std::int32_t record_number = 0;
    for (const DecodedArea &area : decode_fru_inventory(std::span(inventory.data(), read), !state.lists[Chassis].empty())) {
        if (add_record(area.area == FruArea::Chassis ? Chassis : chosen, area.record)) trace_added(area, ++record_number);
    }
    const std::size_t added = state.lists[chosen].size() - before;
    if (chosen == PowerSupply && added == 1 && before < most_psu_instances) state.psu_instances[before] = locator[13];
}

void clear_psu_instances() { fru_state().psu_instances.fill(0); }

void free_fru_lists() {
    for (auto &list : fru_state().lists) list = {};
}

std::int32_t inventory_fru_info(std::int32_t *cursor, FruInventoryRecord *record) {
    if (!cursor) return status::bad_argument;
    if (*cursor < 0) return list_ended;
    const std::int32_t result = copy_from(General, static_cast<std::size_t>(*cursor), record);
    if (result == status::ok) ++*cursor;
    return result;
}

std::int32_t physical_container_fru_info(FruInventoryRecord *record) { return copy_from(Chassis, 0, record); }
std::int32_t memory_module_fru_info(std::uint32_t index, FruInventoryRecord *record) {
    return indexed(MemoryModule, index, record);
}
std::int32_t processor_fru_info(std::uint32_t index, FruInventoryRecord *record) {
    return indexed(ProcessorBoard, index, record);
}

std::int32_t power_supply_fru(std::uint8_t instance, FruInventoryRecord *record) {
    if (instance == 0 || !record) return not_found;
    const FruState &state = fru_state();
    for (std::size_t i = 0; i < most_psu_instances && i < state.lists[PowerSupply].size(); ++i)
        if (state.psu_instances[i] == instance) return copy_from(PowerSupply, i, record);
    return not_found;
}

}  // namespace mgx::hal
