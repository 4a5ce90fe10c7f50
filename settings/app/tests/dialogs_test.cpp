// The start monitoring, power-off mode and notification method dialogs through the real program,
// opened from the main menu as a person would, with the unit's settings arranged beforehand.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "settings_program_fixture.h"
#include "unit_arrangements.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::settings::testing {
namespace {

const wchar_t *const monitoring_title = L"Start monitoring function setting";
const wchar_t *const power_title = L"Power off mode setting";
const wchar_t *const notify_title = L"Error notification method setting";
constexpr const char *notify_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\NotifyMethod";

using testbed::refuse_unit_command;
using testbed::set_boot_monitoring;

bool checked(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// The messages shown one after the other by the program (each answered with OK).
std::vector<std::wstring> messages(const SettingsProgram &program, std::size_t count) {
    std::vector<std::wstring> shown;
    for (std::size_t i = 0; i < count; ++i) {
        HWND box = program.message_box();
        if (!box) break;
        shown.push_back(message_text(box));
        EXPECT_EQ(look_of(box), (MessageBoxLook{{IDOK}, true})) << shown.back();
        answer(box, IDOK);
        wait_until_gone(box);
    }
    return shown;
}

// A dialog opened from the main menu's button.
struct Opened {
    SettingsProgram program;
    HWND menu = nullptr;
    HWND open(int button, const wchar_t *title) {
        menu = program.main_menu();
        if (!menu) return nullptr;
        control_request(mgx::testbed::control::clear_log);
        click(menu, button);
        return wait_for_dialog(program.id(), title);
    }
    void close_menu() {
        press_key(menu, VK_ESCAPE);
        program.ended();
    }
};

TEST_F(SettingsProgramTest, StartMonitoringShowsTheUnitsSettingsAndWritesThemBackInSeconds) {
    set_boot_monitoring(0, 2, 1200, 3, 0);
    const std::filesystem::path change_log = "C:\\ProgramData\\Uptiva\\changes.log";
    std::filesystem::remove(change_log);
    Opened session;
    HWND dialog = session.open(1001, monitoring_title);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(checked(dialog, 1044)) << "POST time-out 0: Disable";
    EXPECT_EQ(item_text(dialog, 1054), L"30") << "a switched-off function shows its default";
    EXPECT_TRUE(checked(dialog, 1047));
    EXPECT_EQ(item_text(dialog, 1056), L"20");
    EXPECT_EQ(item_text(dialog, 1028), L"3");
    EXPECT_TRUE(checked(dialog, 1049)) << "retry method 0: power off, then on again";
    EXPECT_EQ(item_text(dialog, 1051).substr(0, 34), L"If POST is not complete within the");

    type_text(dialog, 1056, L"45");
    type_text(dialog, 1028, L"4");
    SendMessageW(GetDlgItem(dialog, 1048), BM_CLICK, 0, 0);
    control_request(mgx::testbed::control::clear_log);
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_FALSE(session.program.message_box(200)) << "success closes silently";
    EXPECT_EQ(sent_data(0x44), std::vector<std::string>{"c0 00 00 02 8c 0a 04 01"})
        << "selectors 1, POST 0 s, 2 retries, 2700 s, 4 retries, hardware reset";
    EXPECT_EQ(count_requests(0x43), 1u) << "read back once";
    session.close_menu();
    // What changed, in mgxtool's words; POST monitoring stayed off and has no line.
    std::ifstream logged(change_log, std::ios::binary);
    std::string lines(1024, '\0');
    ASSERT_TRUE(logged.read(lines.data(), 1024)) << "two lines";
    EXPECT_NE(lines.find("| GK7T30UI | OS-boot monitoring: on, 20 min, 3 retries -> on, 45 min, 4 retries"), std::string::npos)
        << lines;
    EXPECT_NE(lines.find("| GK7T30UI | the retry method: power-cycle -> reboot"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("POST monitoring"), std::string::npos);
}

TEST_F(SettingsProgramTest, StartMonitoringCallsAbnormalValuesAndShowsTheDefaults) {
    set_boot_monitoring(600, 0, 65000, 9, 2);
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    click(menu, 1001);
    EXPECT_EQ(messages(program, 5), (std::vector<std::wstring>{L"Retry method is abnormal.\nSet initial value.",
                                                               L"POST monitoring time is abnormal.\nSet initial value.",
                                                               L"OS boot monitoring time is abnormal.\nSet initial value.",
                                                               L"POST retry frequency is abnormal.\nSet initial value.",
                                                               L"OS boot retry frequency is abnormal.\nSet initial value."}));
    HWND dialog = wait_for_dialog(program.id(), monitoring_title);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(checked(dialog, 1045)) << "600 s is abnormal, the default 30 minutes is on";
    EXPECT_EQ(item_text(dialog, 1054), L"30");
    EXPECT_TRUE(checked(dialog, 1047));
    EXPECT_EQ(item_text(dialog, 1056), L"60") << "65,000 s is abnormal";
    EXPECT_EQ(item_text(dialog, 1055), L"2");
    EXPECT_EQ(item_text(dialog, 1028), L"2");
    EXPECT_TRUE(checked(dialog, 1049));
    press_key(dialog, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(dialog));
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

TEST_F(SettingsProgramTest, StartMonitoringRefusesOutOfRangeFieldsAndWritesNothing) {
    set_boot_monitoring(1800, 2, 3600, 2, 0);
    Opened session;
    HWND dialog = session.open(1001, monitoring_title);
    ASSERT_TRUE(dialog);
    struct Case {
        int field;
        const wchar_t *typed, *message;
    };
    for (const Case &test : {Case{1054, L"14", L"Enter 15 to 999."}, Case{1056, L"1000", L"Enter 15 to 999."},
                             Case{1055, L"0", L"Enter 1 to 5."}, Case{1028, L"6", L"Enter 1 to 5."}}) {
        SCOPED_TRACE(test.field);
        type_text(dialog, test.field, test.typed);
        click(dialog, IDOK);
        HWND box = wait_for_owned_dialog(dialog);
        ASSERT_TRUE(box);
        EXPECT_EQ(message_text(box), test.message);
        EXPECT_EQ(look_of(box), (MessageBoxLook{{IDOK}, false})) << "OK alone, no icon";
        EXPECT_EQ(text_of(box), monitoring_title) << "the dialog's title as caption";
        answer(box, IDOK);
        ASSERT_TRUE(wait_until_gone(box));
        EXPECT_TRUE(eventually([&] { return focused_id(dialog) == test.field; }));
        type_text(dialog, test.field, test.field == 1054 || test.field == 1056 ? L"30" : L"2");
    }
    EXPECT_EQ(count_requests(0x44), 0u) << "nothing written";
    press_key(dialog, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(dialog));
    session.close_menu();
}

TEST_F(SettingsProgramTest, StartMonitoringCautionsBeforeEnabling) {
    set_boot_monitoring(0, 2, 0, 2, 0);
    Opened session;
    HWND dialog = session.open(1001, monitoring_title);
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(checked(dialog, 1044));
    click(dialog, 1045);
    HWND caution = wait_for_owned_dialog(dialog);
    ASSERT_TRUE(caution);
    EXPECT_EQ(message_text(caution).substr(0, 9), L"Caution:\n");
    EXPECT_EQ(look_of(caution), (MessageBoxLook{{IDOK, IDCANCEL}, true}));
    EXPECT_TRUE(eventually([&] { return focused_id(caution) == IDCANCEL; })) << "Cancel is the default";
    answer(caution, IDCANCEL);
    ASSERT_TRUE(wait_until_gone(caution));
    EXPECT_TRUE(checked(dialog, 1044)) << "Cancel leaves Disable";
    click(dialog, 1045);
    caution = wait_for_owned_dialog(dialog);
    answer(caution, IDOK);
    ASSERT_TRUE(wait_until_gone(caution));
    EXPECT_TRUE(eventually([&] { return checked(dialog, 1045) && !checked(dialog, 1044); }));
    press_key(dialog, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(count_requests(0x44), 0u) << "Cancel writes nothing";
    session.close_menu();
}

TEST_F(SettingsProgramTest, StartMonitoringWriteFailuresAndTheSecondOk) {
    set_boot_monitoring(1800, 2, 3600, 2, 0);
    Opened session;
    HWND dialog = session.open(1001, monitoring_title);
    ASSERT_TRUE(dialog);
    refuse_unit_command(0x44);
    click(dialog, IDOK);
    EXPECT_EQ(answered(wait_for_owned_dialog(dialog, 30'000), IDOK), L"MGX Write Error.\nError code [193]");

    // The unit says yes to the write but keeps its old settings: the read-back differs.
    control_request(mgx::testbed::control::clear_faults);
    refuse_unit_command(0x44, 0x00);
    type_text(dialog, 1054, L"45");
    click(dialog, IDOK);
    EXPECT_EQ(answered(wait_for_owned_dialog(dialog, 30'000), IDOK), L"MGX Write Error.\nError code [0]");

    control_request(mgx::testbed::control::clear_faults);
    control_request(mgx::testbed::control::clear_log);
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(sent_data(0x44), std::vector<std::string>{"c0 8c 0a 02 10 0e 02 00"}) << "45 minutes once converted: 2700 s";
    session.close_menu();
}

// A refused read and a short answer (six of its seven bytes) each close the dialog.
TEST_F(SettingsProgramTest, StartMonitoringReadErrorClosesTheDialog) {
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    for (int code : {193, 112}) {
        SCOPED_TRACE(code);
        control_request(mgx::testbed::control::clear_faults);
        if (code == 193)
            refuse_unit_command(0x43);
        else
            control_request(mgx::testbed::control::add_fault,
                            {{control_key::fault, {{control_key::kind, "short-answer"}, {control_key::command, 0x43}}}});
        click(menu, 1001);
        EXPECT_EQ(answered(program.message_box(30'000), IDOK), L"MGX Read Error.\nError code [" + std::to_wstring(code) + L"]");
        EXPECT_FALSE(find_dialog(program.id(), monitoring_title));
        EXPECT_TRUE(eventually([&] { return IsWindowEnabled(menu) != FALSE; }));
    }
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

// velmora: no OS boot monitoring (and no LCD panel), through the BMC path.
TEST_F(SettingsProgramTest, StartMonitoringWithoutOsBootMonitoringGreysItAndWritesItOff) {
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "velmora"}});
    set_boot_monitoring(1800, 2, 1200, 3, 1);
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    click(menu, 1001);
    EXPECT_EQ(messages(program, 1),
              std::vector<std::wstring>{
                  L"You can not enable OS boot monitoring,because this hardware not support for changing Administer mode."});
    HWND dialog = wait_for_dialog(program.id(), monitoring_title);
    ASSERT_TRUE(dialog);
    for (int id : {1047, 1019, 1056, 1029, 1034, 1028, 1030, 1053, 1048, 1049}) EXPECT_FALSE(enabled(dialog, id)) << id;
    EXPECT_TRUE(checked(dialog, 1046));
    EXPECT_EQ(item_text(dialog, 1056), L"60");
    control_request(mgx::testbed::control::clear_log);
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(sent_data(0x44), std::vector<std::string>{"c0 08 07 02 00 00 03 01"}) << "OS boot written as off";
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

// intel-s450: back-end state 4 has no POST monitoring.
TEST_F(SettingsProgramTest, StartMonitoringOnBackEndStateFourGreysPost) {
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "intel-s450"}});
    set_boot_monitoring(1800, 2, 1200, 3, 0);
    Opened session;
    HWND dialog = session.open(1001, monitoring_title);
    ASSERT_TRUE(dialog);
    for (int id : {1045, 1018, 1054, 1026, 1032, 1055, 1027}) EXPECT_FALSE(enabled(dialog, id)) << id;
    EXPECT_TRUE(checked(dialog, 1044));
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    const std::vector<std::string> written = sent_data(0x44);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].substr(0, 8), "c0 00 00") << "POST time-out 0";
    session.close_menu();
}

TEST_F(SettingsProgramTest, PowerOffModeShowsWritesAndVerifies) {
    mgx::testbed::set_safe_mode(0);
    const std::filesystem::path change_log = "C:\\ProgramData\\Uptiva\\changes.log";
    std::filesystem::remove(change_log);
    Opened session;
    HWND dialog = session.open(1002, power_title);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(checked(dialog, 1005)) << "0: Enable";
    SendMessageW(GetDlgItem(dialog, 1004), BM_CLICK, 0, 0);
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_FALSE(session.program.message_box(200));
    EXPECT_EQ(sent_data(0x42), std::vector<std::string>{"01"});
    EXPECT_EQ(count_requests(0x41), 2u) << "read at opening and read back";
    session.close_menu();
    std::ifstream logged(change_log, std::ios::binary);
    std::string record(512, '\0');
    ASSERT_TRUE(logged.read(record.data(), 512)) << "the change log has a line";
    EXPECT_NE(record.find("| GK7T30UI | the safe power-off mode: on -> off"), std::string::npos) << record;
}

TEST_F(SettingsProgramTest, PowerOffModeFailures) {
    mgx::testbed::set_safe_mode(1);
    Opened session;
    HWND dialog = session.open(1002, power_title);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(checked(dialog, 1004)) << "1: Disable";
    SendMessageW(GetDlgItem(dialog, 1005), BM_CLICK, 0, 0);
    refuse_unit_command(0x42, 0x00);  // accepted, not carried out: the read-back differs
    click(dialog, IDOK);
    EXPECT_EQ(answered(wait_for_owned_dialog(dialog, 30'000), IDOK), L"MGX write failed.\nError code [0]");
    control_request(mgx::testbed::control::clear_faults);
    refuse_unit_command(0x42);
    click(dialog, IDOK);
    EXPECT_EQ(answered(wait_for_owned_dialog(dialog, 30'000), IDOK), L"MGX write failed.\nError code [193]");
    press_key(dialog, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(dialog));
    session.close_menu();
}

// A unit that answers a mode other than 0 or 1: neither button is checked, and OK refuses to
// write anything until one is chosen.
TEST_F(SettingsProgramTest, PowerOffModeNeverWritesAModeTheUnitCannotKeep) {
    mgx::testbed::set_safe_mode(2);
    Opened session;
    HWND dialog = session.open(1002, power_title);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(checked(dialog, 1005));
    EXPECT_FALSE(checked(dialog, 1004));
    click(dialog, IDOK);
    EXPECT_EQ(answered(wait_for_owned_dialog(dialog), IDOK), L"Power OFF mode is abnormal.\nSpecify Power disconnect/OFF mode.");
    EXPECT_EQ(count_requests(0x42), 0u);
    SendMessageW(GetDlgItem(dialog, 1005), BM_CLICK, 0, 0);
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(sent_data(0x42), std::vector<std::string>{"00"});
    session.close_menu();
}

TEST_F(SettingsProgramTest, PowerOffModeReadFailureClosesTheDialog) {
    refuse_unit_command(0x41);
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    click(menu, 1002);
    EXPECT_EQ(answered(program.message_box(30'000), IDOK), L"MGX read failed.\nError code [193]");
    EXPECT_FALSE(find_dialog(program.id(), power_title));
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

DWORD notify_value(const char *name) {
    DWORD value = 0xDEAD, size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, notify_key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

void set_notify(DWORD lcd, DWORD screen) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "LCD", REG_DWORD, &lcd, sizeof lcd);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "DSP", REG_DWORD, &screen, sizeof screen);
}

TEST_F(SettingsProgramTest, NotifyMethodStoresBothChoicesAndCancelStoresNothing) {
    set_notify(1, 0);
    Opened session;
    HWND dialog = session.open(1125, notify_title);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(checked(dialog, 1122));
    EXPECT_FALSE(checked(dialog, 1124));
    EXPECT_TRUE(enabled(dialog, 1122)) << "acer has an LCD panel";
    SendMessageW(GetDlgItem(dialog, 1124), BM_CLICK, 0, 0);
    press_key(dialog, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(notify_value("DSP"), 0u) << "Cancel stores nothing";

    click(session.menu, 1125);
    dialog = wait_for_dialog(session.program.id(), notify_title);
    ASSERT_TRUE(dialog);
    SendMessageW(GetDlgItem(dialog, 1124), BM_CLICK, 0, 0);
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(notify_value("LCD"), 1u);
    EXPECT_EQ(notify_value("DSP"), 1u) << "both on";
    session.close_menu();
}

TEST_F(SettingsProgramTest, NotifyMethodWithoutAnLcdPanel) {
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "velmora"}});
    set_notify(1, 1);
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    click(menu, 1125);
    EXPECT_EQ(messages(program, 1), std::vector<std::wstring>{L"LCD does not exist.\nSet default value."});
    HWND dialog = wait_for_dialog(program.id(), notify_title);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(enabled(dialog, 1122));
    EXPECT_FALSE(checked(dialog, 1122));
    click(dialog, IDOK);
    ASSERT_TRUE(wait_until_gone(dialog));
    EXPECT_EQ(notify_value("LCD"), 0u) << "stored as off";
    EXPECT_EQ(notify_value("DSP"), 1u);

    click(menu, 1125);
    dialog = wait_for_dialog(program.id(), notify_title);
    ASSERT_TRUE(dialog) << "LCD off: no message this time";
    EXPECT_FALSE(enabled(dialog, 1122));
    press_key(dialog, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(dialog));
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

TEST_F(SettingsProgramTest, NotifyMethodWithAMissingOrBrokenKeyStartsClearAndWritesAValidPair) {
    for (bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "missing key" : "values of the wrong type");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, notify_key);
        if (!missing) {
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "LCD", REG_SZ, "1", 2);
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "DSP", REG_BINARY, "\x01", 1);
        }
        Opened session;
        HWND dialog = session.open(1125, notify_title);
        ASSERT_TRUE(dialog);
        EXPECT_FALSE(checked(dialog, 1122));
        EXPECT_FALSE(checked(dialog, 1124));
        click(dialog, IDOK);
        ASSERT_TRUE(wait_until_gone(dialog));
        EXPECT_EQ(notify_value("LCD"), 0u);
        EXPECT_EQ(notify_value("DSP"), 0u);
        session.close_menu();
    }
}

// A key that cannot be made (its parent is volatile, and the product key is not): the
// registry's code, and the dialog stays open.
TEST_F(SettingsProgramTest, NotifyMethodRegistrationFailureShowsTheRegistryCode) {
    const char *life_time_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, life_time_key);
    HKEY volatile_key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, life_time_key, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &volatile_key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatile_key);
    Opened session;
    HWND dialog = session.open(1125, notify_title);
    ASSERT_TRUE(dialog);
    click(dialog, IDOK);
    EXPECT_EQ(answered(wait_for_owned_dialog(dialog), IDOK),
              L"Registration of error notification method failed.\nError code(1021)");
    press_key(dialog, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(dialog));
    session.close_menu();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, life_time_key);
}

}  // namespace
}  // namespace mgx::settings::testing
