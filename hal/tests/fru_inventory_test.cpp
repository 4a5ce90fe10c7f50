// FRU inventory decoded on its bytes: the header, each area's fields and skip rules, and the
// field decoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fru_inventory.h"

namespace mgx::hal {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes &bytes, const std::string &text) {
    bytes.push_back(static_cast<std::uint8_t>(0xC0 | text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// An area of `units` 8-byte units starting with `start`, its fields, the end marker and padding.
Bytes area(Bytes start, const std::vector<std::string> &fields, std::size_t units = 0) {
    for (const std::string &field : fields) put(start, field);
    start.push_back(0xC1);
    if (units == 0) units = (start.size() + 8) / 8;
    start[1] = static_cast<std::uint8_t>(units);
    start.resize(units * 8, 0);
    return start;
}

// Header and areas in the order chassis, board, product; empty ones are left out.
Bytes inventory(const Bytes &chassis, const Bytes &board, const Bytes &product) {
    Bytes image = {0x01, 0, 0, 0, 0, 0, 0, 0};
    std::size_t at = 8;
    const auto place = [&](std::size_t slot, const Bytes &bytes) {
        if (bytes.empty()) return;
        image[slot] = static_cast<std::uint8_t>(at / 8);
        image.insert(image.end(), bytes.begin(), bytes.end());
        at += bytes.size();
    };
    place(2, chassis);
    place(3, board);
    place(4, product);
    std::uint8_t sum = 0;
    for (int i = 0; i < 7; ++i) sum = static_cast<std::uint8_t>(sum + image[i]);
    image[7] = static_cast<std::uint8_t>(-sum);
    return image;
}

Bytes board(const std::vector<std::string> &fields) { return area({0x01, 0, 0, 1, 2, 3}, fields); }
Bytes product(const std::vector<std::string> &fields) { return area({0x01, 0, 0}, fields); }
Bytes chassis(const std::vector<std::string> &fields) { return area({0x01, 0, 0x17}, fields); }

std::string text(const FruTextField &field) { return field.text; }

TEST(FruInventory, AreasFillTheirSlotsInOrder) {
    const auto areas = decode_fru_inventory(inventory(chassis({"CH-1", "S-9"}), board({"ACME", "Board", "B-SN", "B-PN"}),
                                                      product({"Maker", "Box", "M-1", "v2", "P-SN", "tag"})),
                                            false);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].area, FruArea::Board);
    EXPECT_EQ(text(areas[0].record.slots[0]), "Board");
    EXPECT_EQ(text(areas[0].record.slots[1]), "ACME");
    EXPECT_EQ(areas[0].record.slots[2].encoding, FruEncoding::Other);
    EXPECT_EQ(areas[0].record.slots[2].length, 0);
    EXPECT_EQ(text(areas[0].record.slots[3]), "B-PN");
    EXPECT_EQ(text(areas[0].record.slots[4]), "B-SN");
    EXPECT_EQ(text(areas[1].record.slots[2]), "M-1");
    EXPECT_EQ(text(areas[1].record.slots[4]), "P-SN");
    EXPECT_EQ(text(areas[1].record.slots[5]), "v2");
    EXPECT_EQ(text(areas[2].record.slots[0]), "System Chassis");
    EXPECT_EQ(areas[2].record.slots[0].length, 14);
    EXPECT_EQ(areas[2].record.slots[0].encoding, FruEncoding::Ascii8);
    EXPECT_EQ(text(areas[2].record.slots[3]), "CH-1");
    EXPECT_EQ(text(areas[2].record.slots[4]), "S-9");
}

TEST(FruInventory, HeaderRulesStopEverything) {
    Bytes image = inventory({}, board({"ACME", "Board", "", ""}), {});
    EXPECT_EQ(decode_fru_inventory(image, false).size(), 1u);
    image[7] ^= 1;
    EXPECT_TRUE(decode_fru_inventory(image, false).empty()) << "header checksum wrong";
    EXPECT_TRUE(decode_fru_inventory(inventory({}, {}, {}), false).empty()) << "no area offsets";
    Bytes far = inventory({}, board({"ACME"}), {});
    far[3] = 65;
    far[7] = static_cast<std::uint8_t>(far[7] - 64);
    EXPECT_TRUE(decode_fru_inventory(far, false).empty()) << "board offset above 64";
    EXPECT_TRUE(decode_fru_inventory(Bytes{}, false).empty());
}

TEST(FruInventory, EmptyAreasAreSkippedAsTheirRulesSay) {
    EXPECT_TRUE(decode_fru_inventory(inventory({}, board({"", "", "", ""}), {}), false).empty());
    const auto version_only = decode_fru_inventory(inventory({}, {}, product({"", "", "", "1.0", ""})), false);
    ASSERT_EQ(version_only.size(), 1u);
    EXPECT_EQ(text(version_only[0].record.slots[5]), "1.0");
    EXPECT_TRUE(decode_fru_inventory(inventory(chassis({"", ""}), {}, {}), true).empty()) << "a second empty chassis";
    EXPECT_EQ(decode_fru_inventory(inventory(chassis({"", ""}), {}, {}), false).size(), 1u) << "the first one counts";
}

TEST(FruInventory, AreaLongerThanWhatWasReadIsSkipped) {
    Bytes image = inventory({}, board({"ACME"}), {});
    image[8 + 1] = 40;  // 320 bytes claimed
    EXPECT_TRUE(decode_fru_inventory(image, false).empty());
}

TEST(FruField, BlanksAreRemovedAndTheLengthKept) {
    const Bytes field = {0xC5, ' ', ' ', 'A', 'B', 'C'};
    std::size_t at = 0;
    const FruTextField decoded = decode_fru_field(field, at);
    EXPECT_EQ(text(decoded), "ABC");
    EXPECT_EQ(decoded.length, 6) << "five stored plus the terminator";
    EXPECT_EQ(decoded.encoding, FruEncoding::Ascii8);
    EXPECT_EQ(at, 6u);
    const Bytes terminated = {0x43, 'x', 'y', 0x00};
    at = 0;
    EXPECT_EQ(decode_fru_field(terminated, at).length, 3) << "already terminated";
    EXPECT_EQ(decode_fru_field(Bytes{0x82, 1, 2}, at = 0).encoding, FruEncoding::Other);
    const FruTextField bcd = decode_fru_field(Bytes{0x43, 0x12, 0x3A, 0xB0}, at = 0);
    EXPECT_EQ(bcd.encoding, FruEncoding::BcdPlus);
    EXPECT_EQ(Bytes(bcd.text, bcd.text + 3), (Bytes{0x12, 0x3A, 0xB0})) << "handed over raw";
    const Bytes blanks = {0xC3, ' ', '\t', '\n'};
    EXPECT_EQ(text(decode_fru_field(blanks, at = 0)), "");
}

TEST(FruField, FieldsRunningPastTheInventoryAreCut) {
    const Bytes cut = {0xFF, 'a', 'b'};  // 63 bytes claimed, 2 there
    std::size_t at = 0;
    const FruTextField field = decode_fru_field(cut, at);
    EXPECT_EQ(text(field), "ab");
    EXPECT_EQ(at, 64u);
    EXPECT_EQ(text(decode_fru_field(cut, at)), "") << "past the end: an empty field";
}

}  // namespace
}  // namespace mgx::hal
