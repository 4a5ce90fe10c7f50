// The data initialisation against the real registry and the monitoring service stand-in, and
// its start from the main menu by Shift+Ctrl+Alt+F1.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <halcore/back_end_state.h>
#include <halcore/halcore.h>

#include "control_client.h"
#include "data_initialisation.h"
#include "main_menu_dialog.h"
#include "programs.h"
#include "registry_defaults.h"
#include "service_requests.h"
#include "win32/pipe_server.h"
#include "window_driver.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::settings::testing {
namespace {

using testbed::testing::run_to_end;

std::string service(const char *argument) {
    return "\"" + testbed::testing::beside_this_program("GK7T30SV.EXE").string() + "\" " + argument;
}

std::string service_log() {
    std::ifstream log("C:\\ProgramData\\MgxTestbed\\GK7T30SV.log", std::ios::binary);
    std::ostringstream contents;
    contents << log.rdbuf();
    return contents.str();
}

DWORD cpu_fan_life_time() {
    DWORD value = 0, size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, store::limit_key, "CPU_FAN", RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::string app_path(const char *program) {
    char value[512] = {};
    DWORD size = sizeof value;
    const std::string key = std::string(store::app_paths_key) + program;
    RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// Runs the initialisation on this thread while `person` answers its boxes; what they said.
std::vector<std::wstring> initialise_answering(std::vector<int> answers) {
    std::vector<std::wstring> shown;
    std::thread person([&] {
        for (int button : answers) {
            HWND box = wait_for_dialog(GetCurrentProcessId(), L"GK7T30UI");
            if (!box) return;
            shown.push_back(message_text(box));
            answer(box, button);
            wait_until_gone(box);
        }
    });
    InitialiseAllData(nullptr, English);
    person.join();
    return shown;
}

class DataInitialisation : public ::testing::Test {
protected:
    void SetUp() override {
        store::WriteRegistryDefaults(store::defaults_for(store::Writer::SettingsProgram, "C:\\Elsewhere\\"));
        const DWORD edited = 30000;
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, store::limit_key, "CPU_FAN", REG_DWORD, &edited, sizeof edited);
        std::filesystem::remove("C:\\ProgramData\\MgxTestbed\\GK7T30SV.log");
    }
    void TearDown() override {
        run_to_end(service("-remove"));
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
    }
};

TEST_F(DataInitialisation, NoLeavesEverythingAndAsksNobody) {
    ASSERT_EQ(run_to_end(service("-install")), 0);
    const std::vector<std::wstring> shown = initialise_answering({IDNO});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], L"Dou you want to Initialize all of data?");
    EXPECT_EQ(cpu_fan_life_time(), 30000u);
    EXPECT_EQ(service_log().find("OMRA_PIPE"), std::string::npos) << "the service was not contacted";
}

TEST_F(DataInitialisation, RunningServiceRefusesTheReset) {
    ASSERT_EQ(run_to_end(service("-install")), 0);
    std::filesystem::remove("C:\\ProgramData\\Uptiva\\changes.log");
    const std::vector<std::wstring> shown = initialise_answering({IDYES, IDOK});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], L"GK7T30-Service is running. so can not initialize data.");
    EXPECT_EQ(cpu_fan_life_time(), 30000u);
    EXPECT_FALSE(std::filesystem::exists("C:\\ProgramData\\Uptiva\\changes.log")) << "nothing written, nothing logged";
    EXPECT_NE(service_log().find("OMRA_PIPE 128 bytes: 02 "), std::string::npos) << "\"02\" in a 128-byte block";
}

TEST_F(DataInitialisation, WithoutTheServiceEveryValueReturnsToItsDefault) {
    ASSERT_EQ(run_to_end(service("-remove")), 0);
    ASSERT_TRUE(eventually([] { return !WaitNamedPipeA(service::command_pipe, 0) && GetLastError() == ERROR_FILE_NOT_FOUND; }));
    const std::filesystem::path change_log = "C:\\ProgramData\\Uptiva\\changes.log";
    std::filesystem::remove(change_log);
    const std::vector<std::wstring> shown = initialise_answering({IDYES});
    EXPECT_EQ(shown.size(), 1u) << "nothing shown after the question";
    EXPECT_EQ(cpu_fan_life_time(), 26000u);
    std::ifstream logged(change_log, std::ios::binary);
    std::string line(512, '\0');
    ASSERT_TRUE(logged.read(line.data(), 512)) << "the change log has a line";
    EXPECT_NE(line.find("| GK7T30UI | every value of the product key: as it was -> its default"), std::string::npos) << line;
    const std::string directory = testbed::testing::beside_this_program("").string();
    EXPECT_EQ(app_path("GK7T30UI.EXE"), directory + "GK7T30UI.EXE") << "App Paths for the program's own directory";
}

// While the service is stopped any process may serve its pipe: it is sent nothing and the call
// counts as failed, as when nobody serves the name.
TEST_F(DataInitialisation, RogueServerOnTheCommandPipeIsSentNothing) {
    ASSERT_EQ(run_to_end(service("-remove")), 0);
    ASSERT_TRUE(eventually([] { return !WaitNamedPipeA(service::command_pipe, 0) && GetLastError() == ERROR_FILE_NOT_FOUND; }));
    std::atomic<int> received{0};
    std::unique_ptr<win32::PipeServer> rogue = win32::serve_messages(service::command_pipe, [&](const std::string &) {
        ++received;
        return std::string("OK");
    });
    const std::vector<std::wstring> shown = initialise_answering({IDYES});
    EXPECT_EQ(shown.size(), 1u) << "no service-running message";
    EXPECT_EQ(cpu_fan_life_time(), 26000u) << "the reset went ahead";
    rogue.reset();
    EXPECT_EQ(received, 0);
}

// In the main menu (only there) the chord starts the initialisation.
TEST(MainMenu, ShiftCtrlAltF1StartsTheDataInitialisation) {
    testbed::control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
    std::int32_t state = -1;
    ASSERT_EQ(HCXInitImbSmbDll(&state), 0);
    BYTE keys[256] = {};
    keys[VK_SHIFT] = keys[VK_LSHIFT] = keys[VK_CONTROL] = keys[VK_RCONTROL] = keys[VK_MENU] = keys[VK_LMENU] = 0x80;
    SetKeyboardState(keys);
    std::wstring question;
    LRESULT drag_icon = 0;
    std::thread person([&] {
        HWND menu = wait_for_dialog(GetCurrentProcessId(), L"Main menu");
        if (!menu) menu = wait_for_dialog(GetCurrentProcessId(), L"メインメニュー");
        drag_icon = SendMessageW(menu, WM_QUERYDRAGICON, 0, 0);
        PostMessageW(GetDlgItem(menu, 1003), WM_SYSKEYDOWN, VK_F1, 0);
        HWND box = wait_for_owned_dialog(menu);
        question = message_text(box);
        answer(box, IDNO);
        wait_until_gone(box);
        press_key(menu, VK_ESCAPE);
    });
    MainMenuDialog(hal::SmbusUp).run();
    person.join();
    BYTE none[256] = {};
    SetKeyboardState(none);
    HCXFreeImbSmbDll();
    EXPECT_NE(drag_icon, 0) << "the program icon for dragging";
    EXPECT_TRUE(question == L"Dou you want to Initialize all of data?" || question == L"すべての登録データを初期化しますか？")
        << question.size();
}

}  // namespace
}  // namespace mgx::settings::testing
