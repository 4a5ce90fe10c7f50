// The registry access library against the real registry, under a key of this test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "omrareg_ctl.h"

namespace {

class RegistryAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        base = "MgxTests\\registry-" + std::to_string(GetCurrentProcessId());
        key = "SOFTWARE\\" + base;
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
        ASSERT_EQ(CreateRegKey_DL(key.c_str()), ERROR_SUCCESS);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str()); }

    LONG set_text(const char *name, const std::string &text) {
        return SetRegVal_DL(key.c_str(), name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    LONG set_dword(const char *name, DWORD value) { return SetRegVal_DL(key.c_str(), name, REG_DWORD, &value, sizeof value); }
    std::string raw(const char *name, DWORD *type = nullptr) {
        char data[512];
        DWORD size = sizeof data;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, data, &size) != ERROR_SUCCESS)
            return "(missing)";
        return std::string(data, size);
    }

    std::string base, key;
};

TEST_F(RegistryAccessTest, ValueThatDoesNotFitReportsTheSizeItNeedsWhateverTypeWasAsked) {
    ASSERT_EQ(set_text("Text", std::string(19, 'a')), ERROR_SUCCESS);  // 20 bytes with its terminator
    char buffer[16] = {};
    EXPECT_EQ(GetRegVal_DL(key.c_str(), "Text", REG_DWORD, buffer, sizeof buffer), ERROR_MORE_DATA);
    DWORD needed;
    std::memcpy(&needed, buffer, 4);
    EXPECT_EQ(needed, 20u);
    char fits[32] = {};
    EXPECT_EQ(GetRegVal_DL(key.c_str(), "Text", REG_BINARY, fits, sizeof fits), ERROR_SUCCESS);
    EXPECT_EQ(std::string(fits), std::string(19, 'a'));
    EXPECT_EQ(GetRegVal_DL(key.c_str(), "Absent", REG_SZ, fits, sizeof fits), ERROR_FILE_NOT_FOUND);
    char tiny[2] = {'x', 'y'};
    EXPECT_EQ(GetRegVal_DL(key.c_str(), "Text", REG_SZ, tiny, sizeof tiny), ERROR_MORE_DATA);
    EXPECT_EQ(tiny[0], 'x') << "a buffer too small for the size is not written past";
}

TEST_F(RegistryAccessTest, SetNeverCreatesAKey) {
    const std::string missing = key + "\\Missing";
    DWORD value = 1;
    EXPECT_EQ(SetRegVal_DL(missing.c_str(), "V", REG_DWORD, &value, 4), ERROR_FILE_NOT_FOUND);
    HKEY probe;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, missing.c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
    ASSERT_EQ(CreateRegKey_DL(missing.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(SetRegVal_DL(missing.c_str(), "V", REG_DWORD, &value, 4), ERROR_SUCCESS);
}

TEST_F(RegistryAccessTest, DeleteWorksBelowSoftwareAndLeavesKeysWithSubkeys) {
    ASSERT_EQ(CreateRegKey_DL((key + "\\LifeTime\\Limit").c_str()), ERROR_SUCCESS);
    EXPECT_NE(DeleteRegKey_DL((base + "\\LifeTime").c_str()), ERROR_SUCCESS) << "it still has a subkey";
    EXPECT_EQ(DeleteRegKey_DL((base + "\\LifeTime\\Limit").c_str()), ERROR_SUCCESS);
    HKEY probe;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (key + "\\LifeTime\\Limit").c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
    EXPECT_EQ(DeleteRegKey_DL((base + "\\LifeTime").c_str()), ERROR_SUCCESS);
}

TEST_F(RegistryAccessTest, EnumerationFillsEntriesUntilTheFirstFailure) {
    set_dword("A", 1);
    set_text("B", "two");
    set_dword("C", 3);
    RegKeyInfo info{};
    ASSERT_EQ(GetRegQueryInf_DL(key.c_str(), &info), ERROR_SUCCESS);
    EXPECT_EQ(info.value_count, 3u);
    EXPECT_EQ(info.longest_value_name, 1u);
    EXPECT_NE(info.last_write_time.dwHighDateTime, 0u);

    RegValueEntry entries[5];
    std::memset(entries, 0x5A, sizeof entries);
    EXPECT_EQ(GetRegEnumVal_DL(key.c_str(), entries, info.longest_value_name, 5), ERROR_NO_MORE_ITEMS);
    EXPECT_STREQ(entries[0].name, "A");
    EXPECT_EQ(entries[0].type, static_cast<DWORD>(REG_DWORD));
    EXPECT_STREQ(entries[1].name, "B");
    EXPECT_EQ(entries[1].type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(reinterpret_cast<char *>(entries[1].data), "two");
    EXPECT_STREQ(entries[2].name, "C");
    EXPECT_EQ(static_cast<unsigned char>(entries[3].name[0]), 0x5A) << "the fourth entry is untouched";
    EXPECT_EQ(GetRegEnumVal_DL(key.c_str(), entries, 1, 0), ERROR_SUCCESS);
}

TEST_F(RegistryAccessTest, EnumerationStopsAtDataLongerThanTwentyOneBytes) {
    set_text("Long", std::string(21, 'x'));  // 22 bytes
    RegValueEntry entry;
    std::memset(&entry, 0, sizeof entry);
    EXPECT_EQ(GetRegEnumVal_DL(key.c_str(), &entry, 4, 1), ERROR_MORE_DATA);
    EXPECT_EQ(entry.data[21], 0) << "no byte past the 21 a read may fill";
}

TEST_F(RegistryAccessTest, NamesOfTwoHundredFiftyFiveCharactersFitAndLongerLimitsAreBounded) {
    const std::string name(255, 'n');
    DWORD value = 7;
    ASSERT_EQ(SetRegVal_DL(key.c_str(), name.c_str(), REG_DWORD, &value, 4), ERROR_SUCCESS);
    RegValueEntry entry;
    EXPECT_EQ(GetRegEnumVal_DL(key.c_str(), &entry, 100000, 1), ERROR_SUCCESS) << "a longest length past the field is cut to it";
    EXPECT_EQ(std::string(entry.name), name);
    EXPECT_EQ(GetRegEnumVal_DL(key.c_str(), &entry, 10, 1), ERROR_MORE_DATA) << "too short a name length";
}

TEST_F(RegistryAccessTest, WrittenEntriesTakeTheSizesOfTheirTypes) {
    RegValueEntry entries[4] = {};
    std::strcpy(entries[0].name, "Text");
    entries[0].type = REG_SZ;
    std::strcpy(reinterpret_cast<char *>(entries[0].data), "abc");
    std::strcpy(entries[1].name, "Number");
    entries[1].type = REG_DWORD;
    entries[1].data[0] = 42;
    std::strcpy(entries[2].name, "Full");
    entries[2].type = REG_SZ;
    std::memset(entries[2].data, 'z', sizeof entries[2].data);  // no terminator in the field
    std::strcpy(entries[3].name, "Binary");
    entries[3].type = REG_BINARY;
    entries[3].data[23] = 0xEE;
    ASSERT_EQ(SetRegEnumVal_DL(key.c_str(), entries, 4), ERROR_SUCCESS);
    EXPECT_EQ(raw("Text"), std::string("abc\0\0", 5)) << "text, terminator and one more byte";
    EXPECT_EQ(raw("Number").size(), 4u);
    EXPECT_EQ(raw("Full"), std::string(24, 'z')) << "never past the 24-byte field";
    EXPECT_EQ(raw("Binary").size(), 24u);
}

TEST_F(RegistryAccessTest, KeysThatDoNotOpenTouchNothing) {
    const std::string gone = key + "\\Gone";
    RegValueEntry entry;
    std::memset(&entry, 0x33, sizeof entry);
    EXPECT_EQ(GetRegEnumVal_DL(gone.c_str(), &entry, 10, 1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(static_cast<unsigned char>(entry.name[0]), 0x33);
    RegKeyInfo info;
    std::memset(&info, 0x44, sizeof info);
    EXPECT_EQ(GetRegQueryInf_DL(gone.c_str(), &info), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(info.value_count, 0x44444444u);
    EXPECT_EQ(SetRegEnumVal_DL(gone.c_str(), &entry, 1), ERROR_FILE_NOT_FOUND);
    char buffer[8] = "keep";
    EXPECT_EQ(GetRegVal_DL(gone.c_str(), "V", REG_SZ, buffer, sizeof buffer), ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(buffer, "keep");
}

}  // namespace
