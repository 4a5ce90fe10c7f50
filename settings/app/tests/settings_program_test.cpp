// The settings program's frame and main menu through the real program.
#include <string>
#include <vector>

#include "settings_program_fixture.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::settings::testing {
namespace {

TEST_F(SettingsProgramTest, StartsWithTheMainMenuAndTheServersRunningHours) {
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(eventually([&] { return item_text(menu, 1111) == L"Server Running= 4242 Hour(s)"; }))
        << item_text(menu, 1111).size();
    EXPECT_EQ(item_text(menu, 1003), L"Component lifetime information Browse/Setting");
    EXPECT_EQ(item_text(menu, 1001), L"Start monitoring function setting");
    EXPECT_EQ(item_text(menu, 1002), L"Power off mode setting");
    EXPECT_EQ(item_text(menu, 1004), L"Memory error information clear");
    EXPECT_EQ(item_text(menu, 1125), L"Error notification method setting");
    EXPECT_EQ(item_text(menu, 1), L"End /Exit");
    EXPECT_TRUE(eventually([&] { return focused_id(menu) == 1003; })) << "the focus starts on the first control";
    // Halcore's probe and the menu's one read: nothing else reached the unit.
    const std::vector<json> requests = unit_requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const json &request : requests) EXPECT_EQ(request[control_key::command], 0x30);
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0) << "Escape ends the program";
}

TEST_F(SettingsProgramTest, JapaneseWhenTheRegistrySaysSo) {
    set_language(0);
    SettingsProgram program;
    HWND menu = wait_for_dialog(program.id(), L"メインメニュー");
    ASSERT_TRUE(menu);
    EXPECT_TRUE(eventually([&] { return item_text(menu, 1111) == L"サーバ稼働時間＝ 4242 時間"; }));
    EXPECT_EQ(item_text(menu, 1003), L"部品寿命情報 参照・設定");
    EXPECT_EQ(item_text(menu, 1), L"終了");
    PostMessageW(menu, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ended(), 0) << "the close box ends the program";
}

TEST_F(SettingsProgramTest, HourlyRefreshRunsInWhateverModalLoopIsActive) {
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(eventually([&] { return item_text(menu, 1111) == L"Server Running= 4242 Hour(s)"; }));
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::running_hours, 5000}}}});
    PostMessageW(menu, WM_TIMER, 1, 0);
    EXPECT_TRUE(eventually([&] { return item_text(menu, 1111) == L"Server Running= 5000 Hour(s)"; }));

    click(menu, 1004);
    HWND question = program.message_box();
    ASSERT_TRUE(question);
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::running_hours, 5001}}}});
    PostMessageW(menu, WM_TIMER, 1, 0);
    EXPECT_TRUE(eventually([&] { return item_text(menu, 1111) == L"Server Running= 5001 Hour(s)"; }))
        << "refreshed while the question is open";
    answer(question, IDNO);
    ASSERT_TRUE(wait_until_gone(question));
    EXPECT_EQ(count_requests(0x35), 0u) << "No sends nothing";

    // A failing read keeps the last value.
    control_request(mgx::testbed::control::add_fault,
                    {{control_key::fault,
                      {{control_key::kind, "completion-code"}, {control_key::code, 0xC3}, {control_key::command, 0x30}}}});
    control_request(mgx::testbed::control::clear_log);
    PostMessageW(menu, WM_TIMER, 1, 0);
    EXPECT_TRUE(eventually([] { return count_requests(0x30) == 5; })) << "the dispatcher's five attempts, no more";
    EXPECT_EQ(item_text(menu, 1111), L"Server Running= 5001 Hour(s)");
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

// The library's start probe gets its answer; the main menu's first read does not: it shows 0.
TEST_F(SettingsProgramTest, RunningHoursUnreadableAtStartShowZero) {
    control_request(mgx::testbed::control::add_fault, {{control_key::fault,
                                                        {{control_key::kind, "completion-code"},
                                                         {control_key::code, 0xC3},
                                                         {control_key::command, 0x30},
                                                         {control_key::skip, 1},
                                                         {control_key::count, 5}}}});
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(eventually([&] { return item_text(menu, 1111) == L"Server Running= 0 Hour(s)"; })) << item_text(menu, 1111);
    EXPECT_EQ(count_requests(0x30), 6u) << "the probe, then the dispatcher's five attempts";
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

TEST_F(SettingsProgramTest, MemoryErrorClearAsksThenSendsTheRecordSilently) {
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    click(menu, 1004);
    HWND question = program.message_box();
    ASSERT_TRUE(question);
    EXPECT_EQ(message_text(question),
              L"Is the replacement of faulty memory complete?\n\nPress \"Yes\" to notify the monitoring "
              L"software\n that the memory has been replaced and to delete the error information\n which "
              L"occurred in faulty memory before the replacement");
    EXPECT_TRUE(eventually([&] { return focused_id(question) == IDNO; })) << "No is the default";
    answer(question, IDYES);
    ASSERT_TRUE(wait_until_gone(question));
    ASSERT_TRUE(eventually([] { return count_requests(0x35) == 2; }));
    EXPECT_EQ(sent_data(0x35), (std::vector<std::string>{"00 ff ff ff ff ff ff ff ff", "01 ff ff ff ff ff ff ff ff"}));
    EXPECT_FALSE(find_dialog(program.id(), L"GK7T30UI")) << "success shows nothing";
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

TEST_F(SettingsProgramTest, MemoryErrorClearFailureShowsTheCodeAndTheMenuStays) {
    control_request(mgx::testbed::control::add_fault,
                    {{control_key::fault,
                      {{control_key::kind, "completion-code"}, {control_key::code, 0xC1}, {control_key::command, 0x35}}}});
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    click(menu, 1004);
    HWND question = program.message_box();
    ASSERT_TRUE(question);
    answer(question, IDYES);
    ASSERT_TRUE(wait_until_gone(question));
    HWND failure = nullptr;
    ASSERT_TRUE(eventually([&] { return (failure = find_dialog(program.id(), L"GK7T30UI")) != nullptr; }, 20'000));
    EXPECT_EQ(message_text(failure), L"MGX write failed.\nError code [193]");
    EXPECT_EQ(count_requests(0x35), 5u) << "five attempts of the first request";
    answer(failure, IDOK);
    ASSERT_TRUE(wait_until_gone(failure));
    EXPECT_TRUE(IsWindowEnabled(menu));
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

TEST_F(SettingsProgramTest, EnterMovesOnWithoutPressingAndTheVersionBoxOpensFromTheSystemMenu) {
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    SendMessageW(menu, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(menu, 1004)), TRUE);
    ASSERT_TRUE(eventually([&] { return focused_id(menu) == 1004; }));
    press_key(menu, VK_RETURN);
    EXPECT_TRUE(eventually([&] { return focused_id(menu) == 1125; })) << "Enter moves to the next control";
    press_key(menu, VK_UP);
    EXPECT_TRUE(eventually([&] { return focused_id(menu) == 1004; })) << "Up moves back";
    EXPECT_FALSE(find_dialog(program.id(), L"GK7T30UI")) << "Enter did not press the memory-error button";

    PostMessageW(menu, WM_SYSCOMMAND, 0x10, 0);
    HWND about = wait_for_dialog(program.id(), L"Version Information GK7T30UI");
    ASSERT_TRUE(about);
    EXPECT_EQ(item_text(about, 1000), L"GK7T30UI Version 2.0 Level 10");
    EXPECT_FALSE(IsWindowEnabled(menu)) << "the version box is modal";
    press_key(about, VK_ESCAPE);
    ASSERT_TRUE(wait_until_gone(about));
    EXPECT_TRUE(IsWindowEnabled(menu));
    click(menu, 1);
    EXPECT_EQ(program.ended(), 0) << "End /Exit ends the program";
}

// Shift+Ctrl+Alt+F1 as real key input; the monitoring service (installed by setup) answers, so
// the reset is refused.
TEST_F(SettingsProgramTest, HiddenChordFromTheKeyboardStartsTheDataInitialisation) {
    SettingsProgram program;
    HWND menu = program.main_menu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(press_chord(menu, {VK_LSHIFT, VK_RCONTROL, VK_LMENU, VK_F1}));
    EXPECT_EQ(answered(program.message_box(), IDYES), L"Dou you want to Initialize all of data?");
    EXPECT_EQ(answered(program.message_box(), IDOK), L"GK7T30-Service is running. so can not initialize data.");
    press_key(menu, VK_ESCAPE);
    EXPECT_EQ(program.ended(), 0);
}

TEST_F(SettingsProgramTest, SecondInstanceEndsAtOnceSilently) {
    SettingsProgram first;
    ASSERT_TRUE(first.main_menu());
    SettingsProgram second;
    EXPECT_EQ(second.ended(), 0);
    EXPECT_FALSE(find_dialog(second.id(), main_menu_title));
    EXPECT_TRUE(first.main_menu()) << "the first instance is undisturbed";
}

// The guard is machine-wide: an instance in another logon session (holding "Global\Gk7t30UI_EXE")
// makes this one end at once too.
TEST_F(SettingsProgramTest, InstanceInAnotherSessionEndsThisOneAtOnce) {
    win32::UniqueHandle other_session(CreateMutexW(nullptr, FALSE, L"Global\\Gk7t30UI_EXE"));
    ASSERT_TRUE(other_session);
    SettingsProgram second;
    EXPECT_EQ(second.ended(), 0);
    EXPECT_FALSE(find_dialog(second.id(), main_menu_title));
}

TEST_F(SettingsProgramTest, UnusableMachineShowsTheStartFailureWithTheStatus) {
    struct Case {
        const char *profile;
        bool silent_unit;
        const wchar_t *text;
    };
    // An unrecognised board costs Halcore's fifteen detection passes of 1000 ms; an Intel
    // machine whose unit is silent starts with back-end state 0, which is no usable state either.
    for (const Case &machine : {Case{"no-smbios", false, L"MGX not exist or MGX driver error.\nError code [24]"},
                                Case{"unknown", false, L"MGX not exist or MGX driver error.\nError code [0]"},
                                Case{"intel", true, L"MGX not exist or MGX driver error.\nError code [0]"}}) {
        SCOPED_TRACE(machine.profile);
        control_request(mgx::testbed::control::use_profile, {{control_key::profile, machine.profile}});
        if (machine.silent_unit)
            control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::silent, true}}}});
        SettingsProgram program;
        HWND failure = program.message_box(30'000);
        ASSERT_TRUE(failure);
        EXPECT_EQ(message_text(failure), machine.text);
        EXPECT_FALSE(find_dialog(program.id(), main_menu_title));
        answer(failure, IDOK);
        EXPECT_EQ(program.ended(), 0);
    }
}

}  // namespace
}  // namespace mgx::settings::testing
