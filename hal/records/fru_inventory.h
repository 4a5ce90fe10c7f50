// FRU inventory in the IPMI FRU information storage format, decoded into fixed-shape records:
// pure functions over the bytes that were read, which never read past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <halcore/query_records.h>

namespace mgx::hal {

enum class FruArea { Board, Product, Chassis };

struct DecodedArea {
    FruArea area;
    FruInventoryRecord record;
};

// One type/length-encoded field at `at`, which moves past it. Field bytes beyond the inventory
// are not there: the field is cut at its end.
FruTextField decode_fru_field(std::span<const std::uint8_t> inventory, std::size_t &at);

// The board, product and chassis areas an inventory adds, in that order. A chassis area without
// texts adds nothing when the chassis list already holds a record.
std::vector<DecodedArea> decode_fru_inventory(std::span<const std::uint8_t> inventory, bool chassis_list_has_record);

}  // namespace mgx::hal
