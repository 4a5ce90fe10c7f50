// The product key's store against the real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "lifetime_store.h"
#include "registry_defaults.h"

namespace mgx::store {
namespace {

struct Raw {
    DWORD type = 0;
    std::string bytes;
    bool present = false;
};

Raw raw(const char *key, const char *name) {
    Raw value;
    char data[512];
    DWORD size = sizeof data;
    value.present =
        RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, data, &size) == ERROR_SUCCESS;
    if (value.present) value.bytes.assign(data, size);
    return value;
}

DWORD number(const char *key, const char *name) {
    Raw value = raw(key, name);
    DWORD result = 0xDEADBEEF;
    if (value.present && value.bytes.size() == 4) std::memcpy(&result, value.bytes.data(), 4);
    return result;
}

class StoreTest : public ::testing::Test {
protected:
    static void forget_everything() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
        for (const char *program : {"GK7T30UI.EXE", "GK7T30SV.EXE", "GK7T30MS.EXE"})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(app_paths_key) + program).c_str());
    }
    void SetUp() override {
        forget_everything();
        context.program_directory = "C:\\SV\\";
        context.temp_directory = "C:\\SV\\Temp\\";
        context.user_language = context.system_language = 0x409;
        context.lcd_panel_present = [this] {
            ++panel_reads;
            return panel_has_lcd;
        };
    }
    void TearDown() override { forget_everything(); }

    DefaultsContext context;
    int panel_reads = 0;
    bool panel_has_lcd = true;
};

TEST_F(StoreTest, DefaultsFillEveryKeyWithItsTypesAndSizes) {
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    EXPECT_EQ(raw(root_key, "TempDir").bytes, std::string("C:\\SV\\Temp\\") + '\0');
    EXPECT_EQ(raw(root_key, "MachineID").bytes, std::string(1, '\0')) << "an empty text is one NUL byte";
    EXPECT_EQ(number(root_key, "Language"), 1u);
    EXPECT_EQ(number(root_key, "LifeTime"), 0u);
    EXPECT_EQ(number(limit_key, "CPU_FAN"), 26000u);
    EXPECT_EQ(number(limit_key, "UPS"), 17520u);
    EXPECT_EQ(number(limit_key, "RAID"), 17520u);
    EXPECT_EQ(number(current_key, "CAIS_FAN"), 0u);
    EXPECT_EQ(number(setup_date_key, "RAIDCount"), 0u);
    const Raw date = raw(setup_date_key, "RAID16");
    EXPECT_EQ(date.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(date.bytes, std::string(1, '\0')) << "an empty date is an empty text: one NUL byte";
    EXPECT_EQ(raw(setup_date_key, "UPS").bytes, std::string(1, '\0'));
    EXPECT_EQ(number(notify_done_key, "RAID07"), 0u);
    EXPECT_EQ(raw(notify_done_key, "RAID_DATE07").bytes, std::string(1, '\0'));
    EXPECT_EQ(raw(notify_done_key, "PSU_DATE").bytes, std::string(1, '\0'));
    EXPECT_EQ(number(notify_method_key, "LCD"), 0u);
    EXPECT_EQ(number(notify_method_key, "LED"), 0u);
    EXPECT_EQ(number(notify_method_key, "DSP"), 0u);
    EXPECT_EQ(number(display_item_key, "ItemNo"), 0xFFFFFFFFu);
    EXPECT_EQ(panel_reads, 0) << "only the setup program asks the panel";
}

TEST_F(StoreTest, SetupVariantAsksThePanelForTheLcdSwitch) {
    context.writer = Writer::SetupProgram;
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    EXPECT_EQ(panel_reads, 1);
    EXPECT_EQ(number(notify_method_key, "LCD"), 1u);
    EXPECT_EQ(number(notify_method_key, "LED"), 1u);
    EXPECT_EQ(number(notify_method_key, "DSP"), 1u);
    panel_has_lcd = false;
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    EXPECT_EQ(number(notify_method_key, "LCD"), 0u);
}

TEST_F(StoreTest, DefaultsOverwriteTheirValuesAndLeaveOthers) {
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    DWORD edited = 30000, foreign = 7;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, limit_key, "CPU_FAN", REG_DWORD, &edited, 4);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, limit_key, "Foreign", REG_DWORD, &foreign, 4);
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    EXPECT_EQ(number(limit_key, "CPU_FAN"), 26000u);
    EXPECT_EQ(number(limit_key, "Foreign"), 7u);
}

// The platform's registry with chosen failures: a key that cannot be created, a value that
// cannot be written.
struct FailingRegistry {
    static inline std::string refused_key, refused_value;
    static inline int writes = 0;
    RegistryCalls saved = registry_calls();
    FailingRegistry(std::string key, std::string value) {
        refused_key = std::move(key);
        refused_value = std::move(value);
        writes = 0;
        registry_calls().create_key = [](HKEY root, const char *path, HKEY *key) -> LONG {
            return path == refused_key ? ERROR_ACCESS_DENIED : RegCreateKeyA(root, path, key);
        };
        registry_calls().set_value = [](HKEY key, const char *name, DWORD reserved, DWORD type, const BYTE *data,
                                        DWORD size) -> LONG {
            ++writes;
            if (name && name == refused_value) return ERROR_INVALID_DATA;
            return RegSetValueExA(key, name, reserved, type, data, size);
        };
    }
    ~FailingRegistry() { registry_calls() = saved; }
};

TEST_F(StoreTest, RootKeyThatCannotBeCreatedStopsEverything) {
    FailingRegistry registry(root_key, "");
    EXPECT_EQ(WriteRegistryDefaults(context), ERROR_ACCESS_DENIED);
    EXPECT_EQ(FailingRegistry::writes, 0);
    EXPECT_FALSE(raw(limit_key, "CPU_FAN").present);
    EXPECT_FALSE(raw((std::string(app_paths_key) + "GK7T30UI.EXE").c_str(), "Path").present);
}

TEST_F(StoreTest, FailingValueEndsTheRunAfterItsKeyWithTheOrOfTheCodes) {
    FailingRegistry registry("", "CAIS_FAN");
    EXPECT_EQ(WriteRegistryDefaults(context), ERROR_INVALID_DATA);
    EXPECT_EQ(number(limit_key, "RAID"), 17520u) << "the key's other values are written";
    EXPECT_FALSE(raw(current_key, "CPU_FAN").present) << "the next key is not";
}

TEST_F(StoreTest, LanguageRulesOfTheTwoPrograms) {
    EXPECT_EQ(language_default(Writer::SettingsProgram, 0x411, 0x409), 0u);
    EXPECT_EQ(language_default(Writer::SetupProgram, 0x411, 0x409), 1u) << "Japanese user, English system";
    EXPECT_EQ(language_default(Writer::SetupProgram, 0x411, 0x411), 0u);
    EXPECT_EQ(language_default(Writer::SettingsProgram, 0x409, 0x411), 1u);
    EXPECT_EQ(language_default(Writer::SettingsProgram, 0x0811, 0x409), 0u) << "the primary language counts";
    context.user_language = 0x411;
    context.writer = Writer::SetupProgram;
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    EXPECT_EQ(number(root_key, "Language"), 1u);
}

TEST_F(StoreTest, AppPathsHoldTheFullPathAndTheDirectoryWithOneTerminator) {
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    const std::string key = std::string(app_paths_key) + "GK7T30MS.EXE";
    EXPECT_EQ(raw(key.c_str(), nullptr).bytes, std::string("C:\\SV\\GK7T30MS.EXE") + '\0');
    EXPECT_EQ(raw(key.c_str(), "Path").bytes, std::string("C:\\SV\\") + '\0');
    EXPECT_TRUE(raw((std::string(app_paths_key) + "GK7T30UI.EXE").c_str(), "Path").present);
    EXPECT_TRUE(raw((std::string(app_paths_key) + "GK7T30SV.EXE").c_str(), "Path").present);
}

TEST_F(StoreTest, InstallDatesOutsideOneToSixteenAddressTheUpsBattery) {
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    const char date[16] = "2001/04/01";
    ASSERT_EQ(WriteInstallDate(0, date), ERROR_SUCCESS);
    EXPECT_EQ(raw(setup_date_key, "UPS").bytes, std::string("2001/04/01\0\0\0\0\0\0", 16));
    char read[16] = "old";
    ASSERT_EQ(ReadInstallDate(17, read), ERROR_SUCCESS);
    EXPECT_STREQ(read, "2001/04/01");
    ASSERT_EQ(WriteInstallDate(9, date), ERROR_SUCCESS);
    EXPECT_TRUE(raw(setup_date_key, "RAID09").present);

    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "RAID02", REG_SZ, "2001/04/01 and more", 20);
    char kept[16] = "kept";
    EXPECT_EQ(ReadInstallDate(2, kept), ERROR_MORE_DATA);
    EXPECT_STREQ(kept, "kept") << "a failed read leaves the destination";
}

TEST_F(StoreTest, RecordOnAnEmptyProductKeyReadsZeroesAndReportsTheFailure) {
    HKEY root;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, root_key, &root);
    RegCloseKey(root);
    LifetimeRecord record{};
    EXPECT_NE(ReadLifetimeRecord(record), ERROR_SUCCESS);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(record.running_hours[i], 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(record.life_times[i], 0);
    EXPECT_STREQ(record.install_dates[16], "");
}

TEST_F(StoreTest, RecordIndexesFollowTheirOwnOrderAndOnlyChangedCountersAreWritten) {
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    DWORD psu = 1234;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, current_key, "PSU", REG_DWORD, &psu, 4);
    LifetimeRecord record{};
    ASSERT_EQ(ReadLifetimeRecord(record), ERROR_SUCCESS);
    EXPECT_EQ(record.running_hours[1], 1234) << "index 1 is the power supply";
    EXPECT_EQ(record.life_times[3], 17520) << "index 3 is the UPS battery";
    record.running_hours[0] = 11;
    record.running_hours[1] = 22;
    record.running_hours[2] = 33;
    const bool changed[3] = {false, false, true};
    ASSERT_EQ(WriteChangedRunningHours(record, changed), ERROR_SUCCESS);
    EXPECT_EQ(number(current_key, "CAIS_FAN"), 33u);
    EXPECT_EQ(number(current_key, "CPU_FAN"), 0u);
    EXPECT_EQ(number(current_key, "PSU"), 1234u);
    ASSERT_EQ(WriteNotificationSwitches({1, 0}), ERROR_SUCCESS);
    NotificationSwitches read{9, 9};
    ASSERT_EQ(ReadNotificationSwitches(read), ERROR_SUCCESS);
    EXPECT_EQ(read.lcd, 1u);
    EXPECT_EQ(read.screen, 0u);
}

TEST_F(StoreTest, NumbersOfAnotherTypeOrSizeCountAsMissing) {
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, current_key, "CPU_FAN", REG_SZ, "12", 3);
    const unsigned long long wide = 5000;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, limit_key, "PSU", REG_QWORD, &wide, sizeof wide);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "RAIDCount", REG_BINARY, "\x05", 1);
    LifetimeRecord record{};
    EXPECT_NE(ReadLifetimeRecord(record), ERROR_SUCCESS);
    EXPECT_EQ(record.running_hours[0], 0) << "a text is no counter";
    EXPECT_EQ(record.life_times[1], 0) << "an 8-byte value neither, nor its size";
    EXPECT_EQ(record.life_times[0], 26000) << "the others are read";
    DWORD count = 0;
    EXPECT_EQ(ReadRaidCount(&count), ERROR_INVALID_DATA);
    EXPECT_EQ(count, 0u);
}

TEST_F(StoreTest, LanguageReadFallsBackToTheRule) {
    LanguageIndex language = English;
    EXPECT_EQ(ReadLanguage(&language, 0x411), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(language, Japanese) << "a missing value leaves the rule's default";
}

TEST_F(StoreTest, LanguageOtherThanAZeroOrOneNumberCountsAsMissing) {
    ASSERT_EQ(WriteRegistryDefaults(context), ERROR_SUCCESS);
    const auto stored = [](DWORD type, const void *data, DWORD size) {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, root_key, "Language", type, data, size);
        LanguageIndex english_user = Japanese, japanese_user = English;
        ReadLanguage(&english_user, 0x409);
        ReadLanguage(&japanese_user, 0x411);
        return std::pair(english_user, japanese_user);
    };
    const DWORD one = 1, zero = 0, two = 2;
    EXPECT_EQ(stored(REG_DWORD, &one, 4), std::pair(English, English)) << "the stored choice wins";
    EXPECT_EQ(stored(REG_DWORD, &zero, 4), std::pair(Japanese, Japanese));
    for (auto [type, data, size] : {std::tuple<DWORD, const void *, DWORD>{REG_DWORD, &two, 4},
                                    {REG_SZ, "1", 2},
                                    {REG_BINARY, &zero, 1},
                                    {REG_QWORD, "\0\0\0\0\0\0\0\0", 8}}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(stored(type, data, size), std::pair(English, Japanese)) << "the user's language decides";
    }
}

}  // namespace
}  // namespace mgx::store
