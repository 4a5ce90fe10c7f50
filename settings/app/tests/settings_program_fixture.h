// The settings program as the administrator uses it: the real GK7T30UI.EXE, installed by the
// setup program into a folder of the prefix, on the testbed's machines; what reached the unit is
// read from the exchange log.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "control_client.h"
#include "win32/unique_handle.h"
#include "window_driver.h"

namespace mgx::settings::testing {

using nlohmann::json;
using testbed::control_request;

inline const std::filesystem::path install = "C:\\mgx-settings-test";
inline const wchar_t *const main_menu_title = L"Main menu";

void set_language(DWORD language);
// The unit requests (network function, command, data) since the log was last cleared.
std::vector<json> unit_requests();
std::size_t count_requests(int command);
// The data of each request with this unit command code, in order.
std::vector<std::string> sent_data(int command);

// One run of the settings program.
class SettingsProgram {
public:
    SettingsProgram();
    ~SettingsProgram();
    DWORD id() const { return id_; }
    HWND main_menu() const { return wait_for_dialog(id_, main_menu_title); }
    HWND message_box(DWORD limit_ms = default_wait_ms) const { return wait_for_dialog(id_, L"GK7T30UI", limit_ms); }
    // The exit code once the program has ended by itself, or -1.
    int ended(DWORD limit_ms = default_wait_ms) const;

private:
    win32::UniqueHandle process_;
    DWORD id_ = 0;
};

// Installs the product with its setup program once; every test starts on acer with a fixed
// running-hours counter, an empty exchange log and English texts.
class SettingsProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;
};

}  // namespace mgx::settings::testing
