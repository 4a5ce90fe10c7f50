// The SMBIOS walk over bytes in memory: entry point search, structure lookup and strings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "smbios_walk.h"

namespace mgx::bmc {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes entry_point(std::uint16_t table_length, std::uint32_t address = 0x000E8000) {
    Bytes entry(31, 0);
    std::memcpy(entry.data(), "_SM_", 4);
    entry[5] = 31;
    std::memcpy(&entry[16], "_DMI_", 5);
    entry[22] = static_cast<std::uint8_t>(table_length);
    entry[23] = static_cast<std::uint8_t>(table_length >> 8);
    std::memcpy(&entry[24], &address, 4);
    entry[21] = static_cast<std::uint8_t>(0x100 - checksum(&entry[16], 15));
    entry[4] = static_cast<std::uint8_t>(0x100 - checksum(entry.data(), 31));
    return entry;
}

void put(Bytes &window, std::size_t offset, const Bytes &bytes) {
    std::copy(bytes.begin(), bytes.end(), window.begin() + offset);
}

Bytes structure(std::uint8_t type, std::uint16_t handle, const std::vector<std::string> &strings, std::uint8_t formatted = 4) {
    Bytes bytes(formatted, 0);
    bytes[0] = type;
    bytes[1] = formatted;
    bytes[2] = static_cast<std::uint8_t>(handle);
    bytes[3] = static_cast<std::uint8_t>(handle >> 8);
    for (const std::string &text : strings) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    if (strings.empty()) bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

Bytes table_of(const std::vector<Bytes> &structures) {
    Bytes table;
    for (const Bytes &bytes : structures) table.insert(table.end(), bytes.begin(), bytes.end());
    return table;
}

std::string text_at(const std::uint8_t *position) { return position ? reinterpret_cast<const char *>(position) : "(null)"; }

TEST(EntryPointSearch, EntryWithTableLengthZeroIsPassedOverForALaterOne) {
    Bytes window(0xFFF0, 0);
    put(window, 0x40, entry_point(0));
    put(window, 0x80, entry_point(0x123));
    auto found = find_entry_point(window.data(), window.size());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->table_length, 0x123);
    EXPECT_EQ(found->table_address, 0x000E8000u);
}

TEST(EntryPointSearch, BadChecksumsAndMisalignedAnchorsAreNotTaken) {
    Bytes window(0x200, 0);
    Bytes broken = entry_point(0x50);
    broken[10] ^= 1;  // entry checksum
    put(window, 0x00, broken);
    Bytes broken_intermediate = entry_point(0x50);
    broken_intermediate[25] ^= 1;
    broken_intermediate[4] = static_cast<std::uint8_t>(broken_intermediate[4] - 1);  // entry sum still 0
    put(window, 0x40, broken_intermediate);
    put(window, 0x88, entry_point(0x50));  // not on a 16-byte boundary
    EXPECT_FALSE(find_entry_point(window.data(), window.size()));
}

TEST(EntryPointSearch, EntryLengthReachingPastTheWindowIsNotRead) {
    Bytes window(0x40, 0);
    Bytes entry = entry_point(0x50);
    entry[5] = 0xFF;
    put(window, 0x10, entry);
    EXPECT_FALSE(find_entry_point(window.data(), window.size()));
    put(window, 0x20, Bytes(16, 0));
    window.resize(0x20 + 30);  // one byte short of a whole entry point at 0x20
    EXPECT_FALSE(find_entry_point(window.data(), window.size()));
}

TEST(StructureLookup, InstancesCountPerTypeAndReservedHandlesNeverCount) {
    Bytes table = table_of({structure(0, 0, {"bios"}), structure(4, 1, {"CPU1"}), structure(4, 0xFFFE, {"reserved"}),
                            structure(4, 2, {"CPU2"}), structure(17, 0xFEFF, {"edge"}), structure(17, 0xFF00, {"high"}),
                            structure(127, 3, {})});
    EXPECT_EQ(text_at(nth_string(table.data(), table.size(), find_structure(table.data(), table.size(), 4, 0), 1)), "CPU1");
    EXPECT_EQ(text_at(nth_string(table.data(), table.size(), find_structure(table.data(), table.size(), 4, 1), 1)), "CPU2");
    EXPECT_EQ(find_structure(table.data(), table.size(), 4, 2), nullptr);
    EXPECT_EQ(text_at(nth_string(table.data(), table.size(), find_structure(table.data(), table.size(), 17, 0), 1)), "edge");
    EXPECT_EQ(find_structure(table.data(), table.size(), 17, 1), nullptr);
}

TEST(StructureLookup, NoPrefixOfATableIsReadPastItsEnd) {
    Bytes table = table_of({structure(0, 0, {"bios", "1.0"}), structure(4, 1, {"CPU1"}, 0x1A), structure(17, 2, {}, 0x15)});
    for (std::size_t length = 0; length <= table.size(); ++length) {
        Bytes prefix(table.begin(), table.begin() + length);  // its own allocation, so a sanitiser-free overrun shows as garbage
        for (std::uint8_t type : {0, 4, 17}) {
            const std::uint8_t *found = find_structure(prefix.data(), prefix.size(), type, 0);
            if (found) {
                EXPECT_LE(found + 4, prefix.data() + prefix.size());
                const std::uint8_t *text = nth_string(prefix.data(), prefix.size(), found, 1);
                if (text) {
                    EXPECT_LT(text, prefix.data() + prefix.size());
                }
            }
        }
    }
    Bytes zero_length = {4, 0, 1, 0, 0, 0};
    EXPECT_NE(find_structure(zero_length.data(), zero_length.size(), 4, 0), nullptr);
    EXPECT_EQ(find_structure(zero_length.data(), zero_length.size(), 4, 1), nullptr) << "the walk ends";
}

TEST(Strings, NumbersCountFromOneAndStopAtTheEndOfTheSet) {
    Bytes table = table_of({structure(17, 1, {"DIMM1", "Bank 0"}), structure(17, 2, {"next"}), structure(17, 3, {})});
    const std::uint8_t *dimm = find_structure(table.data(), table.size(), 17, 0);
    const std::uint8_t *empty = find_structure(table.data(), table.size(), 17, 2);
    const auto string = [&](const std::uint8_t *at, std::uint8_t n) {
        return text_at(nth_string(table.data(), table.size(), at, n));
    };
    EXPECT_EQ(string(dimm, 0), "DIMM1");
    EXPECT_EQ(string(dimm, 1), "DIMM1");
    EXPECT_EQ(string(dimm, 2), "Bank 0");
    EXPECT_EQ(string(dimm, 3), "") << "beyond the set: the set's closing empty string, not the next structure";
    EXPECT_EQ(string(dimm, 255), "");
    EXPECT_EQ(string(empty, 1), "");
    EXPECT_EQ(nth_string(table.data(), table.size(), table.data() + table.size(), 1), nullptr) << "outside the table";
    EXPECT_EQ(nth_string(table.data(), table.size(), nullptr, 1), nullptr);
}

TEST(Strings, LeadingNulRunsArePassedOverAndACutOffSetIsNotServed) {
    Bytes table = {17, 4, 1, 0, 0, 'a', 0, 'b', 0, 0};
    EXPECT_EQ(text_at(nth_string(table.data(), table.size(), table.data(), 1)), "a");
    EXPECT_EQ(text_at(nth_string(table.data(), table.size(), table.data(), 2)), "b");
    Bytes cut = {17, 4, 1, 0, 'a', 'b', 'c'};
    EXPECT_EQ(nth_string(cut.data(), cut.size(), cut.data(), 1), nullptr);
}

}  // namespace
}  // namespace mgx::bmc
