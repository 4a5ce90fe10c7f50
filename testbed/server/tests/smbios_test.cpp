#include <gtest/gtest.h>

#include <numeric>

#include "physical_memory.h"
#include "smbios_builder.h"
#include "smbios_table.h"

namespace mgx::testbed {
namespace {

std::uint8_t sum(const Bytes &bytes, std::size_t from, std::size_t count) {
    return static_cast<std::uint8_t>(std::accumulate(bytes.begin() + from, bytes.begin() + from + count, 0u));
}

SmbiosProfile two_processor_machine() {
    SmbiosProfile smbios;
    smbios.bios_vendor = "Firmware Co";
    smbios.baseboard_manufacturer = "ACER";
    smbios.baseboard_product = "Board 1";
    smbios.processors = {{"CPU1", "GenuineIntel", "P3", 1000}, {"CPU2", "GenuineIntel", "P3", 1000}};
    smbios.memory_devices = {{"DIMM1", "Bank 0", 512}};
    smbios.extra_structures = {{4, 0xFFFE, {0x01}, {"hidden"}}};
    return smbios;
}

TEST(SmbiosBuilder, EntryPointChecksumsAndFieldsFollowTheTwoDotXLayout) {
    Bytes entry = build_entry_point(0x1234, 0x000E8000, 9);
    ASSERT_EQ(entry.size(), 31u);
    EXPECT_EQ(std::string(entry.begin(), entry.begin() + 4), "_SM_");
    EXPECT_EQ(entry[5], 31);
    EXPECT_EQ(sum(entry, 0, entry[5]), 0);
    EXPECT_EQ(std::string(entry.begin() + 16, entry.begin() + 21), "_DMI_");
    EXPECT_EQ(sum(entry, 16, 15), 0);
    EXPECT_EQ(entry[22] | entry[23] << 8, 0x1234);
    EXPECT_EQ(entry[24] | entry[25] << 8 | entry[26] << 16 | entry[27] << 24, 0x000E8000);
}

TEST(SmbiosBuilder, TableHoldsTheProfilesStructuresInOrderWithTheirStrings) {
    auto structures = parse_smbios_table(build_structure_table(two_processor_machine()));
    std::vector<int> types;
    for (const auto &structure : structures) types.push_back(structure.type);
    EXPECT_EQ(types, (std::vector<int>{0, 1, 2, 4, 4, 16, 17, 4, 127}));
    EXPECT_EQ(structures[2].strings, (std::vector<std::string>{"ACER", "Board 1"}));
    EXPECT_EQ(structures[2].formatted.size(), 8u);
    EXPECT_EQ(structures[3].formatted.size(), 0x1Au);
    EXPECT_EQ(structures[7].handle, 0xFFFE);
    EXPECT_EQ(structures[7].strings, std::vector<std::string>{"hidden"});
    EXPECT_TRUE(structures[1].strings.empty()) << "no strings: the set is just the double NUL";
}

TEST(SmbiosTable, TruncatedTableEndsTheWalkWithoutReadingPastIt) {
    Bytes table = build_structure_table(two_processor_machine());
    for (std::size_t cut = 0; cut < table.size(); ++cut) {
        auto structures = parse_smbios_table(std::span(table.data(), cut));
        EXPECT_LE(structures.size(), 9u);
    }
    Bytes bad_length = {2, 2, 0, 0, 0, 0};  // formatted length below the header's 4 bytes
    EXPECT_TRUE(parse_smbios_table(bad_length).empty());
}

TEST(PhysicalMemory, DecoyEntryPointsPrecedeTheRealOneInTheBiosWindow) {
    Profile profile;
    profile.smbios = two_processor_machine();
    profile.smbios->decoy_entry_points = 2;
    PhysicalMemory memory = build_physical_memory(profile);
    Bytes window = *memory.read(bios_window_address, bios_window_size);
    std::vector<std::uint16_t> lengths;
    for (std::size_t offset = 0; offset + 31 <= window.size(); offset += 16) {
        if (std::string(window.begin() + offset, window.begin() + offset + 4) != "_SM_") continue;
        EXPECT_EQ(sum(window, offset, 31), 0);
        EXPECT_EQ(sum(window, offset + 16, 15), 0);
        lengths.push_back(static_cast<std::uint16_t>(window[offset + 22] | window[offset + 23] << 8));
    }
    Bytes table = build_structure_table(*profile.smbios);
    EXPECT_EQ(lengths, (std::vector<std::uint16_t>{0, 0, static_cast<std::uint16_t>(table.size())}));
    EXPECT_EQ(*memory.read(smbios_table_address, static_cast<std::uint32_t>(table.size())), table);
}

TEST(PhysicalMemory, MachineWithoutSmbiosHasOnlyZeroes) {
    Profile profile;
    Bytes window = *build_physical_memory(profile).read(bios_window_address, bios_window_size);
    EXPECT_EQ(std::count(window.begin(), window.end(), 0), static_cast<long>(window.size()));
}

}  // namespace
}  // namespace mgx::testbed
