// settings_tour INSTALL_FOLDER LANGUAGE
//
// Starts the settings program installed in INSTALL_FOLDER with the "Language" LANGUAGE (0
// Japanese, 1 English) on the virtual server's acer machine and brings up each of its windows in
// turn. For each it prints "ready NAME X Y WIDTH HEIGHT" (the window's place on the screen) and
// waits for a line on its standard input before it goes on; a script takes the picture between.
//
// settings_tour INSTALL_FOLDER --check
//
// Starts the settings program on the current machine, prints what its main menu shows (or the
// message it shows instead), closes it and ends: 0 when the main menu came up.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "control_client.h"
#include "unit_arrangements.h"
#include "registry_defaults.h"
#include "window_driver.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

using namespace mgx::settings::testing;
using mgx::testbed::control_request;

namespace {

std::wstring install_folder;

struct Program {
    mgx::win32::UniqueHandle process;
    DWORD id = 0;
};

std::string narrow(const std::wstring &text) { return std::string(text.begin(), text.end()); }  // an ASCII path

Program start_program() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + install_folder + L"\\GK7T30UI.EXE\"";
    Program program;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, install_folder.c_str(), &startup, &info)) {
        program.process.reset(info.hProcess);
        CloseHandle(info.hThread);
        program.id = info.dwProcessId;
    }
    return program;
}

// Offers the window for its picture and waits until it was taken.
void picture(const char *name, HWND window) {
    if (!window) {
        std::printf("missing %s\n", name);
        std::fflush(stdout);
        return;
    }
    // Everything painted before the picture: a full repaint, then a round trip through the
    // window's thread so the painting has reached the display.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_ERASE);
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    GdiFlush();
    RECT place;
    GetWindowRect(window, &place);
    std::printf("ready %s %ld %ld %ld %ld\n", name, place.left, place.top, place.right - place.left, place.bottom - place.top);
    std::fflush(stdout);
    std::string taken;
    std::getline(std::cin, taken);
}

HWND box_of(const Program &program) { return wait_for_dialog(program.id, L"GK7T30UI", 30'000); }

constexpr const char *setup_date_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\SetupDate";
constexpr const char *current_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Current";
constexpr const char *life_time_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime";
constexpr const char *notify_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\NotifyMethod";

// Every request with this unit command code is refused from now on.
void fault(int command) { mgx::testbed::refuse_unit_command(command); }

void dismiss(HWND box, int button) {
    answer(box, button);
    wait_until_gone(box);
}

void print(const std::wstring &label, const std::wstring &text) {
    char bytes[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes - 1, nullptr, nullptr);
    std::printf("%-18ls %s\n", label.c_str(), bytes);
}

int check() {
    Program program = start_program();
    HWND menu = nullptr, box = nullptr;
    eventually(
        [&] {
            menu = find_dialog(program.id, L"Main menu");
            if (!menu) menu = find_dialog(program.id, L"メインメニュー");
            box = find_dialog(program.id, L"GK7T30UI");
            return menu || box;
        },
        30'000);
    if (!menu) {
        if (box) {
            print(L"message", message_text(box));
            answer(box, IDOK);
        }
        std::printf("the main menu did not come up\n");
        WaitForSingleObject(program.process.get(), 10'000);
        return 1;
    }
    eventually([&] { return !item_text(menu, 1111).empty(); });
    print(L"window", text_of(menu));
    for (int id : {1003, 1001, 1002, 1004, 1125, 1}) print(L"button", item_text(menu, id));
    print(L"running hours", item_text(menu, 1111));
    press_key(menu, VK_ESCAPE);
    const bool ended = WaitForSingleObject(program.process.get(), 10'000) == WAIT_OBJECT_0;
    std::printf("%s\n", ended ? "closed with Escape; the program ended" : "the program did not end");
    return ended ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: settings_tour INSTALL_FOLDER LANGUAGE | settings_tour INSTALL_FOLDER --check\n");
        return 2;
    }
    install_folder = std::wstring(argv[1], argv[1] + std::strlen(argv[1]));
    if (std::strcmp(argv[2], "--check") == 0) return check();
    const DWORD language = std::strtoul(argv[2], nullptr, 10);
    const std::wstring menu_title = language == 0 ? L"メインメニュー" : L"Main menu";
    const std::wstring about_title = language == 0 ? L"ﾊﾞｰｼﾞｮﾝ情報 GK7T30UI" : L"Version Information GK7T30UI";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\GK7T30", "Language", REG_DWORD, &language, sizeof language);
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{"running_hours", 24680}, {"running_hours_fixed", true}}}});

    Program program = start_program();
    HWND menu = wait_for_dialog(program.id, menu_title);
    eventually([&] { return item_text(menu, 1111).find(L"24680") != std::wstring::npos; });
    picture("main-menu", menu);

    PostMessageW(menu, WM_SYSCOMMAND, 0x10, 0);
    HWND about = wait_for_dialog(program.id, about_title);
    picture("version-box", about);
    press_key(about, VK_ESCAPE);
    wait_until_gone(about);

    click(menu, 1004);
    HWND question = box_of(program);
    picture("memory-clear-question", question);
    dismiss(question, IDNO);

    fault(0x35);
    click(menu, 1004);
    dismiss(box_of(program), IDYES);
    HWND failed = box_of(program);
    picture("memory-clear-failed", failed);
    dismiss(failed, IDOK);
    control_request(mgx::testbed::control::clear_faults);

    // Component lifetime: a battery and the CPU fan beyond their life times, then edits.
    const std::wstring lifetime_title =
        language == 0 ? L"部品寿命情報 参照・設定" : L"Component life time information Browse/Setting";
    const DWORD raid_count = 3, cpu_fan_hours = 26000, psu_hours = 1200;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "RAIDCount", REG_DWORD, &raid_count, sizeof raid_count);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "RAID01", REG_SZ, "1999/01/01", 16);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "UPS", REG_SZ, "2026/04/01", 16);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, current_key, "CPU_FAN", REG_DWORD, &cpu_fan_hours, sizeof cpu_fan_hours);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, current_key, "PSU", REG_DWORD, &psu_hours, sizeof psu_hours);
    click(menu, 1003);
    HWND lifetime = wait_for_dialog(program.id, lifetime_title);
    SendMessageW(lifetime, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(lifetime, IDOK)), TRUE);
    picture("component-lifetime", lifetime);
    SendMessageW(lifetime, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(lifetime, 1016)), TRUE);
    type_text(lifetime, 1016, L"2025/10/01");
    SendMessageW(lifetime, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(lifetime, 1014)), TRUE);
    type_text(lifetime, 1014, L"0");
    SendMessageW(lifetime, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(lifetime, 1017)), TRUE);
    picture("component-lifetime-edited", lifetime);
    click(lifetime, IDOK);
    HWND confirm = wait_for_owned_dialog(lifetime);
    picture("component-lifetime-confirm", confirm);
    dismiss(confirm, IDYES);
    HWND over_limit = wait_for_owned_dialog(lifetime);
    picture("component-lifetime-over-limit", over_limit);
    dismiss(over_limit, IDOK);
    wait_until_gone(lifetime);

    // Start monitoring: as the unit keeps it, then every message it can show.
    const std::wstring monitoring_title = language == 0 ? L"起動監視機能設定" : L"Start monitoring function setting";
    mgx::testbed::set_boot_monitoring(1800, 2, 1200, 3, 0);
    click(menu, 1001);
    HWND monitoring = wait_for_dialog(program.id, monitoring_title);
    picture("start-monitoring", monitoring);
    click(monitoring, 1045);
    HWND caution = wait_for_owned_dialog(monitoring);
    picture("start-monitoring-caution", caution);
    dismiss(caution, IDCANCEL);
    fault(0x44);
    click(monitoring, IDOK);
    HWND write_error = wait_for_owned_dialog(monitoring, 30'000);
    picture("start-monitoring-write-error", write_error);
    dismiss(write_error, IDOK);
    control_request(mgx::testbed::control::clear_faults);
    press_key(monitoring, VK_ESCAPE);
    wait_until_gone(monitoring);

    mgx::testbed::set_boot_monitoring(600, 0, 65000, 9, 2);
    fault(0x23);  // the panel read fails: no OS boot monitoring
    click(menu, 1001);
    for (const char *name : {"start-monitoring-bad-retry-method", "start-monitoring-bad-post-time", "start-monitoring-bad-os-boot-time",
                             "start-monitoring-bad-post-retries", "start-monitoring-bad-os-boot-retries",
                             "start-monitoring-no-os-boot-monitoring"}) {
        HWND box = box_of(program);
        picture(name, box);
        dismiss(box, IDOK);
    }
    control_request(mgx::testbed::control::clear_faults);
    monitoring = wait_for_dialog(program.id, monitoring_title);
    press_key(monitoring, VK_ESCAPE);
    wait_until_gone(monitoring);
    fault(0x43);
    click(menu, 1001);
    HWND read_error = box_of(program);
    picture("start-monitoring-read-error", read_error);
    dismiss(read_error, IDOK);
    control_request(mgx::testbed::control::clear_faults);

    // Power-off mode.
    const std::wstring power_title = language == 0 ? L"電源切断モード設定" : L"Power off mode setting";
    click(menu, 1002);
    HWND power = wait_for_dialog(program.id, power_title);
    picture("power-off-mode", power);
    fault(0x42);
    click(power, IDOK);
    HWND power_failed = wait_for_owned_dialog(power, 30'000);
    picture("power-off-mode-write-failed", power_failed);
    dismiss(power_failed, IDOK);
    control_request(mgx::testbed::control::clear_faults);
    press_key(power, VK_ESCAPE);
    wait_until_gone(power);
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{"memory", {{"safe_mode", 2}}}}}});
    click(menu, 1002);
    power = wait_for_dialog(program.id, power_title);
    click(power, IDOK);
    HWND abnormal = wait_for_owned_dialog(power);
    picture("power-off-mode-abnormal", abnormal);
    dismiss(abnormal, IDOK);
    press_key(power, VK_ESCAPE);
    wait_until_gone(power);
    fault(0x41);
    click(menu, 1002);
    HWND power_read = box_of(program);
    picture("power-off-mode-read-failed", power_read);
    dismiss(power_read, IDOK);
    control_request(mgx::testbed::control::clear_faults);

    // Notification method.
    const std::wstring notify_title = language == 0 ? L"障害の通知方法設定" : L"Error notification method setting";
    const DWORD on = 1;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "LCD", REG_DWORD, &on, sizeof on);
    click(menu, 1125);
    HWND notify = wait_for_dialog(program.id, notify_title);
    picture("notify-method", notify);
    // A key that cannot be made: its parent volatile, the product key not.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, life_time_key);
    HKEY volatile_key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, life_time_key, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatile_key, nullptr);
    RegCloseKey(volatile_key);
    click(notify, IDOK);
    HWND registration = wait_for_owned_dialog(notify);
    picture("notify-method-registration-failed", registration);
    dismiss(registration, IDOK);
    press_key(notify, VK_ESCAPE);
    wait_until_gone(notify);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, life_time_key);
    mgx::store::WriteRegistryDefaults(mgx::store::defaults_for(mgx::store::Writer::SettingsProgram, narrow(install_folder) + "\\"));
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "LCD", REG_DWORD, &on, sizeof on);
    fault(0x23);
    click(menu, 1125);
    HWND no_lcd = box_of(program);
    picture("notify-method-no-lcd", no_lcd);
    dismiss(no_lcd, IDOK);
    control_request(mgx::testbed::control::clear_faults);
    notify = wait_for_dialog(program.id, notify_title);
    press_key(notify, VK_ESCAPE);
    wait_until_gone(notify);

    press_chord(menu, {VK_LSHIFT, VK_LCONTROL, VK_LMENU, VK_F1});
    HWND initialise = box_of(program);
    picture("data-initialisation-question", initialise);
    if (initialise) {
        dismiss(initialise, IDYES);
        HWND running = box_of(program);
        picture("data-initialisation-service-running", running);
        if (running) dismiss(running, IDOK);
    }

    press_key(menu, VK_ESCAPE);
    WaitForSingleObject(program.process.get(), 10'000);

    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "no-smbios"}});
    Program failing = start_program();
    HWND failure = box_of(failing);
    picture("start-failure", failure);
    if (failure) dismiss(failure, IDOK);
    WaitForSingleObject(failing.process.get(), 10'000);
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
    return 0;
}
