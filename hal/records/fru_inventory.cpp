#include "fru_inventory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace mgx::hal {

namespace {

constexpr std::size_t header_size = 8, area_unit = 8, highest_board_offset = 64;

// Where an area's fields start and which record slot each of them fills, in their order.
struct AreaLayout {
    FruArea area;
    std::size_t fields_at, field_count;
    std::array<std::size_t, 5> slot_of_field;
};

constexpr AreaLayout area_layouts[] = {
    {FruArea::Board, 6, 4, {1, 0, 4, 3}},       // manufacturer, name, serial, part
    {FruArea::Product, 3, 5, {1, 0, 2, 5, 4}},  // manufacturer, name, part/model, version, serial (the asset tag is not kept)
    {FruArea::Chassis, 3, 2, {3, 4}},           // part, serial
};

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
    // The whole field moves, NUL bytes inside it too, and what it leaves behind is cleared: a
    // reader that goes by the length finds the text and no stale bytes after it.
    const std::size_t blanks = std::strspn(field.text, " \t\n"), stored = std::min<std::size_t>(field.length, sizeof field.text);
    std::memmove(field.text, field.text + blanks, stored - blanks);
    std::memset(field.text + stored - blanks, 0, blanks);
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
        if (offset == 0 || start + 1 >= inventory.size() || inventory.size() < inventory[start + 1] * area_unit)
            return std::nullopt;
        return start;
    };
    for (const AreaLayout &layout : area_layouts) {
        const std::size_t offset = layout.area == FruArea::Board ? board : layout.area == FruArea::Product ? product : chassis;
        const auto start = area_start(offset);
        if (!start) continue;
        std::size_t at = *start + layout.fields_at;
        FruInventoryRecord record = empty_record();
        bool any_text = false;
        for (std::size_t field = 0; field < layout.field_count; ++field) {
            const FruTextField text = decode_fru_field(inventory, at);
            any_text = any_text || !is_empty(text);
            record.slots[layout.slot_of_field[field]] = text;
        }
        if (layout.area == FruArea::Chassis) {
            if (!any_text && chassis_list_has_record) continue;
            record.slots[0] = fixed_field("System Chassis");
        } else if (!any_text) {
            continue;
        }
        areas.push_back({layout.area, record});
    }
    return areas;
}

}  // namespace mgx::hal
