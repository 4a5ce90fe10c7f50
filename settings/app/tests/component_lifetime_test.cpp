// The component lifetime dialog through the real program: the registry arranged beforehand, the
// monitoring service stand-in running or stopped, what reached it read from its own record.
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "programs.h"
#include "settings_program_fixture.h"
#include "win32/pipe_server.h"

namespace mgx::settings::testing {
namespace {

const wchar_t *const lifetime_title = L"Component life time information Browse/Setting";
constexpr const char *setup_date_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\SetupDate";
constexpr const char *current_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Current";
constexpr const char *limit_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Limit";
const std::filesystem::path service_log = "C:\\ProgramData\\MgxTestbed\\GK7T30SV.log";

void set_number(const char *key, const char *name, DWORD value) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof value);
}

DWORD number(const char *key, const char *name) {
    DWORD value = 0xDEAD, size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

void set_date(const char *name, const char *date) {
    char field[16] = {};
    std::strncpy(field, date, 15);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, name, REG_SZ, field, sizeof field);
}

std::string date(const char *name) {
    char value[64] = {};
    DWORD size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, setup_date_key, name, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// The parts-change messages the service stand-in received, newest first.
std::string parts_changes() {
    std::ifstream log(service_log, std::ios::binary);
    std::ostringstream contents;
    contents << log.rdbuf();
    return contents.str();
}

std::string today_plus(int days) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME file;
    SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER ticks{{file.dwLowDateTime, file.dwHighDateTime}};
    ticks.QuadPart += static_cast<ULONGLONG>(days) * 24 * 3600 * 10'000'000ULL;
    file = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME later;
    FileTimeToSystemTime(&file, &later);
    char text[16];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u", later.wYear, later.wMonth, later.wDay);
    return text;
}

std::wstring wide(const std::string &text) { return std::wstring(text.begin(), text.end()); }

class ComponentLifetimeTest : public SettingsProgramTest {
protected:
    void SetUp() override {
        SettingsProgramTest::SetUp();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\GK7T30\\LifeTime");
        for (const char *part : {"CPU_FAN", "CAIS_FAN", "PSU"}) set_number(limit_key, part, 26000);
        set_number(limit_key, "UPS", 17520);
        set_number(limit_key, "RAID", 17520);
        set_number(current_key, "CPU_FAN", 100);
        set_number(current_key, "PSU", 200);
        set_number(current_key, "CAIS_FAN", 300);
        set_number(setup_date_key, "RAIDCount", 3);
        std::filesystem::remove(service_log);
    }
    // Opens the dialog from the main menu.
    HWND open() {
        menu = program.main_menu();
        if (!menu) return nullptr;
        click(menu, 1003);
        return wait_for_dialog(program.id(), lifetime_title);
    }
    void leave_field(HWND dialog, int next) {
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, next)), TRUE);
    }
    void close_all(HWND dialog) {
        if (IsWindow(dialog) && IsWindowVisible(dialog)) {
            press_key(dialog, VK_ESCAPE);
            wait_until_gone(dialog);
        }
        press_key(menu, VK_ESCAPE);
        program.ended();
    }
    SettingsProgram program;
    HWND menu = nullptr;
};

TEST_F(ComponentLifetimeTest, RowsShowTheRegistryAndTheNextChangeDates) {
    set_date("RAID01", "1999/01/01");
    const std::string today = today_plus(0);
    set_date("UPS", today.c_str());
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(item_text(dialog, 1015), L"1999/01/01");
    EXPECT_EQ(item_text(dialog, 1028), L"2000/12/31") << "17520 hours: 730 days";
    EXPECT_EQ(item_text(dialog, 1081), wide(today_plus(730))) << "the UPS set today";
    EXPECT_EQ(item_text(dialog, 1029), L"          ") << "no date: ten blanks";
    EXPECT_EQ(item_text(dialog, 1012), L"100");
    EXPECT_EQ(item_text(dialog, 1014), L"200");
    EXPECT_EQ(item_text(dialog, 1013), L"300");
    EXPECT_EQ(item_text(dialog, 1041), L"26000");
    EXPECT_EQ(item_text(dialog, 1111), L"Server Running= 4242 Hour(s)");
    for (int id : {1015, 1016, 1017, 1060}) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    for (int id : {1018, 1027, 1005, 1059}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id << " beyond RAIDCount 3";
    EXPECT_TRUE(eventually([&] { return focused_id(dialog) == 1060; })) << "the UPS line is first";
    EXPECT_TRUE(eventually([&] { return IsWindowVisible(GetDlgItem(dialog, 3)) != FALSE; })) << "a date field has the focus";
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 4)));
    RECT today_place{}, zero{};
    GetWindowRect(GetDlgItem(dialog, 3), &today_place);
    GetWindowRect(GetDlgItem(dialog, 4), &zero);
    EXPECT_TRUE(EqualRect(&today_place, &zero)) << "buttons 3 and 4 share one place";
    click(dialog, IDOK);
    EXPECT_TRUE(wait_until_gone(dialog)) << "nothing changed: closes at once";
    EXPECT_FALSE(program.message_box(200));
    close_all(dialog);
}

TEST_F(ComponentLifetimeTest, RaidCountDecidesWhichBatteryRowsAreEditable) {
    menu = program.main_menu();
    ASSERT_TRUE(menu);
    for (DWORD count : {0u, 16u}) {
        SCOPED_TRACE(count);
        set_number(setup_date_key, "RAIDCount", count);
        click(menu, 1003);
        HWND dialog = wait_for_dialog(program.id(), lifetime_title);
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1060))) << "the UPS row always";
        for (int id : {1015, 1027, 1005, 1059}) EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE, count == 16) << id;
        press_key(dialog, VK_ESCAPE);
        ASSERT_TRUE(wait_until_gone(dialog));
    }
    close_all(nullptr);
}

TEST_F(ComponentLifetimeTest, OnlyTheChassisFanChangedSendsItsPosition) {
    const std::filesystem::path change_log = "C:\\ProgramData\\Uptiva\\changes.log";
    std::filesystem::remove(change_log);
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    leave_field(dialog, 1013);
    ASSERT_TRUE(eventually([&] { return IsWindowVisible(GetDlgItem(dialog, 4)) != FALSE; })) << "button 4 with the focus";
    EXPECT_EQ(item_text(dialog, 1130), L"Change running by the[Set 0 to running] button or the key board");
    click(dialog, 4);
    ASSERT_TRUE(eventually([&] { return item_text(dialog, 1013) == L"0"; }));
    click(dialog, IDOK);
    HWND confirm = wait_for_owned_dialog(dialog);
    ASSERT_TRUE(confirm);
    EXPECT_EQ(message_text(confirm), L"Set up date or running is changed.\n\n Do you want to update data?");
    EXPECT_TRUE(eventually([&] { return focused_id(confirm) == IDNO; }));
    answer(confirm, IDYES);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(number(current_key, "CAIS_FAN"), 0u);
    EXPECT_EQ(number(current_key, "CPU_FAN"), 100u) << "the others untouched";
    EXPECT_EQ(number(current_key, "PSU"), 200u);
    EXPECT_NE(parts_changes().find("OMRAPartsChange 21 bytes: 00000000000000000001 "), std::string::npos);
    close_all(dialog);
    std::ifstream logged(change_log, std::ios::binary);
    std::string record(512, '\0');
    ASSERT_TRUE(logged.read(record.data(), 512)) << "the change log has the change";
    record.erase(record.find_last_not_of(" \r\n") + 1);
    EXPECT_NE(record.find("| GK7T30UI | Housing FAN (chassis-fan) running hours: "), std::string::npos) << record;
    EXPECT_TRUE(record.ends_with(" -> 0")) << record;
    EXPECT_FALSE(logged.read(record.data(), 512)) << "one line: the other parts were not changed";
}

TEST_F(ComponentLifetimeTest, SetTodayOnARaidCardAndAChangeUndoneCountsAsNone) {
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    leave_field(dialog, 1015);
    ASSERT_TRUE(eventually([&] { return IsWindowVisible(GetDlgItem(dialog, 3)) != FALSE; }));
    EXPECT_EQ(item_text(dialog, 1130), L"Change Setup date by the[Set today to install date] button or the key board");
    click(dialog, 3);
    ASSERT_TRUE(eventually([&] { return item_text(dialog, 1015) == wide(today_plus(0)); }));
    EXPECT_TRUE(eventually([&] { return item_text(dialog, 1028) == wide(today_plus(730)); }))
        << "recomputed as the focus moved on";

    // Edited and edited back: no change.
    type_text(dialog, 1015, L"");
    leave_field(dialog, 1012);
    type_text(dialog, 1012, L"101");
    type_text(dialog, 1012, L"100");
    click(dialog, IDOK);
    EXPECT_TRUE(wait_until_gone(dialog));
    EXPECT_FALSE(program.message_box(200)) << "no question";

    // Now for real: RAID card 1's date.
    dialog = (click(menu, 1003), wait_for_dialog(program.id(), lifetime_title));
    ASSERT_TRUE(dialog);
    leave_field(dialog, 1015);
    click(dialog, 3);
    ASSERT_TRUE(eventually([&] { return item_text(dialog, 1015) == wide(today_plus(0)); }));
    click(dialog, IDOK);
    HWND confirm = wait_for_owned_dialog(dialog);
    ASSERT_TRUE(confirm);
    answer(confirm, IDYES);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(date("RAID01"), today_plus(0));
    EXPECT_NE(parts_changes().find("OMRAPartsChange 21 bytes: 01000000000000000000 "), std::string::npos);
    close_all(dialog);
}

TEST_F(ComponentLifetimeTest, OverLimitPartsAreNamedWhenAnotherChangeIsConfirmed) {
    set_number(current_key, "CPU_FAN", 26000);
    set_date("UPS", "2000/01/01");
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    leave_field(dialog, 1014);
    type_text(dialog, 1014, L"25999");
    leave_field(dialog, 1013);
    click(dialog, IDOK);
    HWND confirm = wait_for_owned_dialog(dialog);
    ASSERT_TRUE(confirm);
    answer(confirm, IDYES);
    HWND over = nullptr;
    ASSERT_TRUE(eventually([&] { return (over = wait_for_owned_dialog(dialog, 100)) != nullptr && over != confirm; }));
    EXPECT_EQ(message_text(over), L"There is over limit parts.");
    answer(over, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(number(current_key, "PSU"), 25999u);
    close_all(dialog);
}

TEST_F(ComponentLifetimeTest, StoppedServiceLeavesTheRegistryWrittenAndASecondOkTriesAgain) {
    ASSERT_EQ(testbed::testing::run_to_end("\"" + (install / "GK7T30SV.EXE").string() + "\" -remove"), 0);
    ASSERT_TRUE(
        eventually([] { return !WaitNamedPipeA("\\\\.\\pipe\\OMRAPartsChange", 0) && GetLastError() == ERROR_FILE_NOT_FOUND; }));
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    leave_field(dialog, 1012);
    type_text(dialog, 1012, L"7");
    leave_field(dialog, 1014);
    click(dialog, IDOK);
    HWND confirm = wait_for_owned_dialog(dialog);
    ASSERT_TRUE(confirm);
    answer(confirm, IDYES);
    HWND failure = nullptr;
    ASSERT_TRUE(eventually([&] { return (failure = wait_for_owned_dialog(dialog, 100)) != nullptr && failure != confirm; }));
    EXPECT_EQ(message_text(failure), L"MGX Write Error.\nError code [0]");
    answer(failure, IDOK);
    ASSERT_TRUE(wait_until_gone(failure));
    EXPECT_EQ(number(current_key, "CPU_FAN"), 7u) << "the registry is written";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays";

    // Another process serving the name meanwhile is sent nothing: the same failure.
    std::atomic<int> received{0};
    std::unique_ptr<win32::PipeServer> rogue = win32::serve_messages("\\\\.\\pipe\\OMRAPartsChange", [&](const std::string &) {
        ++received;
        return std::string("OK");
    });
    click(dialog, IDOK);
    confirm = wait_for_owned_dialog(dialog);
    ASSERT_TRUE(confirm);
    answer(confirm, IDYES);
    ASSERT_TRUE(eventually([&] { return (failure = wait_for_owned_dialog(dialog, 100)) != nullptr && failure != confirm; }));
    EXPECT_EQ(message_text(failure), L"MGX Write Error.\nError code [0]");
    answer(failure, IDOK);
    ASSERT_TRUE(wait_until_gone(failure));
    rogue.reset();
    EXPECT_EQ(received, 0);

    ASSERT_EQ(testbed::testing::run_to_end("\"" + (install / "GK7T30SV.EXE").string() + "\" -install"), 0);
    click(dialog, IDOK);
    confirm = wait_for_owned_dialog(dialog);
    ASSERT_TRUE(confirm) << "the same change is asked about again";
    answer(confirm, IDYES);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_NE(parts_changes().find("OMRAPartsChange 21 bytes: 10000000000000000000 "), std::string::npos);
    close_all(dialog);
}

TEST_F(ComponentLifetimeTest, RefusedFieldsAndDatesAsTheLocaleReadsThem) {
    HWND dialog = open();
    ASSERT_TRUE(dialog);
    for (const wchar_t *refused : {L"", L"+5", L" 5", L"12a", L"100000"}) {
        SCOPED_TRACE(std::wstring(refused).size());
        type_text(dialog, 1014, refused);
        click(dialog, IDOK);
        EXPECT_EQ(answered(wait_for_owned_dialog(dialog), IDOK), L"Enter 0 to 99999.");
        EXPECT_TRUE(eventually([&] { return focused_id(dialog) == 1014; }));
    }
    type_text(dialog, 1014, L"00012");
    type_text(dialog, 1016, L"2000/13/45");
    click(dialog, IDOK);
    EXPECT_EQ(answered(wait_for_owned_dialog(dialog), IDOK), L"Invalid Date.");
    EXPECT_TRUE(eventually([&] { return focused_id(dialog) == 1016; }));
    EXPECT_EQ(number(current_key, "PSU"), 200u) << "nothing written";

    type_text(dialog, 1016, L"2000/2/3");
    leave_field(dialog, 1017);
    EXPECT_TRUE(eventually([&] { return item_text(dialog, 1016) == L"2000/02/03"; })) << "rewritten when the focus leaves";
    EXPECT_EQ(item_text(dialog, 1029), L"2002/02/02");
    close_all(dialog);
}

}  // namespace
}  // namespace mgx::settings::testing
