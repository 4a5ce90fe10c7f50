#include "fru_inventory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace mgx::hal {

namespace {

constexpr std::size_t header_size = 8, area_unit = 8, highest_board_offset = 64;
constexpr std::size_t board_fields_at = 6, product_fields_at = 3, chassis_fields_at = 3;

FruTextField empty_field() {
    FruTextField field{};
    field.encoding = FruEncoding::Other;
    return field;
}

FruTextField fixed_field(const char *text) {
    FruTextField field{};
    field.encoding = FruEncoding::Ascii8;
    field.length = static_cast<std::uint8_t>(std::strlen(text));
    std::strcpy(field.text, text);
    return field;
}

bool is_empty(const FruTextField &field) { return field.text[0] == '\0'; }

FruInventoryRecord empty_record() {
    FruInventoryRecord record{};
    for (FruTextField &slot : record.slots) slot = empty_field();
    return record;
}

// The fields of an area in order, read one after the other from `at`.
template <std::size_t count>
std::array<FruTextField, count> read_fields(std::span<const std::uint8_t> inventory, std::size_t at) {
    std::array<FruTextField, count> fields;
    for (FruTextField &field : fields) field = decode_fru_field(inventory, at);
    return fields;
}

}  // namespace

FruTextField decode_fru_field(std::span<const std::uint8_t> inventory, std::size_t &at) {
    FruTextField field{};
    const std::uint8_t type_length = at < inventory.size() ? inventory[at] : 0;
    switch (type_length >> 6) {
    case 1: field.encoding = FruEncoding::BcdPlus; break;
    case 3: field.encoding = FruEncoding::Ascii8; break;
    default: field.encoding = FruEncoding::Other; break;
    }
    const std::size_t length = type_length & 0x3F;
    const std::size_t start = std::min(at + 1, inventory.size());
    const std::size_t present = std::min(length, inventory.size() - start);
    std::memcpy(field.text, inventory.data() + start, present);
    field.length = static_cast<std::uint8_t>(length);
    if (length == 0 || present == 0 || field.text[present - 1] != '\0') {
        field.text[present] = '\0';
        ++field.length;
    }
    const std::size_t blanks = std::strspn(field.text, " \t\n");
    std::memmove(field.text, field.text + blanks, std::strlen(field.text + blanks) + 1);
    at += 1 + length;
    return field;
}

std::vector<DecodedArea> decode_fru_inventory(std::span<const std::uint8_t> inventory, bool chassis_list_has_record) {
    std::vector<DecodedArea> areas;
    if (inventory.size() < header_size) return areas;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < header_size; ++i) sum = static_cast<std::uint8_t>(sum + inventory[i]);
    if (sum != 0) return areas;
    const std::size_t chassis = inventory[2], board = inventory[3], product = inventory[4];
    if (chassis == 0 && board == 0 && product == 0) return areas;
    if (board > highest_board_offset) return areas;

    // An area is used only when what was read holds its length byte and its whole length.
    const auto area_start = [&](std::size_t offset) -> std::optional<std::size_t> {
        const std::size_t start = offset * area_unit;
        if (offset == 0 || start + 1 >= inventory.size() || inventory.size() < inventory[start + 1] * area_unit) return std::nullopt;
        return start;
    };
    if (auto start = area_start(board)) {
        const auto fields = read_fields<4>(inventory, *start + board_fields_at);  // manufacturer, name, serial, part
        if (!std::all_of(fields.begin(), fields.end(), is_empty)) {
            FruInventoryRecord record = empty_record();
            record.slots[0] = fields[1];
            record.slots[1] = fields[0];
            record.slots[3] = fields[3];
            record.slots[4] = fields[2];
            areas.push_back({FruArea::Board, record});
        }
    }
    if (auto start = area_start(product)) {
        // manufacturer, name, part/model, version, serial; the asset tag after them is not kept
        const auto fields = read_fields<5>(inventory, *start + product_fields_at);
        if (!std::all_of(fields.begin(), fields.end(), is_empty)) {
            FruInventoryRecord record = empty_record();
            record.slots[0] = fields[1];
            record.slots[1] = fields[0];
            record.slots[2] = fields[2];
            record.slots[4] = fields[4];
            record.slots[5] = fields[3];
            areas.push_back({FruArea::Product, record});
        }
    }
    if (auto start = area_start(chassis)) {
        const auto fields = read_fields<2>(inventory, *start + chassis_fields_at);  // part, serial
        if (!(is_empty(fields[0]) && is_empty(fields[1]) && chassis_list_has_record)) {
            FruInventoryRecord record = empty_record();
            record.slots[0] = fixed_field("System Chassis");
            record.slots[3] = fields[0];
            record.slots[4] = fields[1];
            areas.push_back({FruArea::Chassis, record});
        }
    }
    return areas;
}

}  // namespace mgx::hal
