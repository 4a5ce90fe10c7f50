// Each window of the settings program with every message it can show, brought up as a person
// would (a click, a key) on the state the virtual server and the registry are given first.
#include <windows.h>

#include <sddl.h>

#include "control_client.h"
#include "registry_defaults.h"
#include "tour.h"
#include "unit_arrangements.h"
#include "window_driver.h"

namespace mgx::tour {

namespace control_key = testbed::control::key;
using namespace settings::testing;

namespace {

constexpr const char *setup_date_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\SetupDate";
constexpr const char *current_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Current";
constexpr const char *life_time_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime";
constexpr const char *notify_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\NotifyMethod";

void focus(HWND dialog, int item) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, item)), TRUE);
}

void close_dialog(HWND dialog) {
    press_key(dialog, VK_ESCAPE);
    wait_until_gone(dialog);
}

std::string narrow(const std::wstring &text) { return std::string(text.begin(), text.end()); }  // an ASCII path

// With every request of unit command `command` refused, the main menu's button `button` brings
// up a message box instead of its dialog: its picture, then OK.
void refused_from_menu(Tour &tour, int command, int button, const char *name) {
    refuse(command);
    click(tour.menu, button);
    HWND box = box_of(tour.program);
    picture(name, box);
    dismiss(box, IDOK);
    clear_faults();
}

// With every request of unit command `command` refused, OK in `dialog` fails to write: the
// picture of what it says, then OK.
void refused_write(HWND dialog, int command, const char *name) {
    refuse(command);
    click(dialog, IDOK);
    HWND box = wait_for_owned_dialog(dialog, 30'000);
    picture(name, box);
    dismiss(box, IDOK);
    clear_faults();
}

}  // namespace

void main_menu_and_memory_clear(Tour &tour) {
    eventually([&] { return item_text(tour.menu, 1111).find(L"24680") != std::wstring::npos; });
    picture("main-menu", tour.menu);

    PostMessageW(tour.menu, WM_SYSCOMMAND, 0x10, 0);
    HWND about = wait_for_dialog(tour.program.id, tour.in_language(L"ﾊﾞｰｼﾞｮﾝ情報 GK7T30UI", L"Version Information GK7T30UI"));
    picture("version-box", about);
    close_dialog(about);

    click(tour.menu, 1004);
    HWND question = box_of(tour.program);
    picture("memory-clear-question", question);
    dismiss(question, IDNO);

    refuse(0x35);
    click(tour.menu, 1004);
    dismiss(box_of(tour.program), IDYES);
    HWND failed = box_of(tour.program);
    picture("memory-clear-failed", failed);
    dismiss(failed, IDOK);
    clear_faults();
}

// A battery and the CPU fan beyond their life times, then edits.
void component_lifetime(Tour &tour) {
    const DWORD raid_count = 3, cpu_fan_hours = 26000, psu_hours = 1200;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "RAIDCount", REG_DWORD, &raid_count, sizeof raid_count);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "RAID01", REG_SZ, "1999/01/01", 16);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date_key, "UPS", REG_SZ, "2026/04/01", 16);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, current_key, "CPU_FAN", REG_DWORD, &cpu_fan_hours, sizeof cpu_fan_hours);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, current_key, "PSU", REG_DWORD, &psu_hours, sizeof psu_hours);
    click(tour.menu, 1003);
    HWND lifetime = wait_for_dialog(
        tour.program.id, tour.in_language(L"部品寿命情報 参照・設定", L"Component life time information Browse/Setting"));
    focus(lifetime, IDOK);
    picture("component-lifetime", lifetime);
    focus(lifetime, 1016);
    type_text(lifetime, 1016, L"2025/10/01");
    focus(lifetime, 1014);
    type_text(lifetime, 1014, L"0");
    focus(lifetime, 1017);
    picture("component-lifetime-edited", lifetime);
    click(lifetime, IDOK);
    HWND confirm = wait_for_owned_dialog(lifetime);
    picture("component-lifetime-confirm", confirm);
    dismiss(confirm, IDYES);
    HWND over_limit = wait_for_owned_dialog(lifetime);
    picture("component-lifetime-over-limit", over_limit);
    dismiss(over_limit, IDOK);
    wait_until_gone(lifetime);
}

// As the unit keeps it, then every message it can show.
void start_monitoring(Tour &tour) {
    const std::wstring title = tour.in_language(L"起動監視機能設定", L"Start monitoring function setting");
    testbed::set_boot_monitoring(1800, 2, 1200, 3, 0);
    click(tour.menu, 1001);
    HWND monitoring = wait_for_dialog(tour.program.id, title);
    picture("start-monitoring", monitoring);
    click(monitoring, 1045);
    HWND caution = wait_for_owned_dialog(monitoring);
    picture("start-monitoring-caution", caution);
    dismiss(caution, IDCANCEL);
    refused_write(monitoring, 0x44, "start-monitoring-write-error");
    close_dialog(monitoring);

    testbed::set_boot_monitoring(600, 0, 65000, 9, 2);
    refuse(0x23);  // the panel read fails: no OS boot monitoring
    click(tour.menu, 1001);
    for (const char *name : {"start-monitoring-bad-retry-method", "start-monitoring-bad-post-time",
                             "start-monitoring-bad-os-boot-time", "start-monitoring-bad-post-retries",
                             "start-monitoring-bad-os-boot-retries", "start-monitoring-no-os-boot-monitoring"}) {
        HWND box = box_of(tour.program);
        picture(name, box);
        dismiss(box, IDOK);
    }
    clear_faults();
    close_dialog(wait_for_dialog(tour.program.id, title));
    refused_from_menu(tour, 0x43, 1001, "start-monitoring-read-error");
}

void power_off_mode(Tour &tour) {
    const std::wstring title = tour.in_language(L"電源切断モード設定", L"Power off mode setting");
    click(tour.menu, 1002);
    HWND power = wait_for_dialog(tour.program.id, title);
    picture("power-off-mode", power);
    refused_write(power, 0x42, "power-off-mode-write-failed");
    close_dialog(power);

    testbed::set_safe_mode(2);
    click(tour.menu, 1002);
    power = wait_for_dialog(tour.program.id, title);
    click(power, IDOK);
    HWND abnormal = wait_for_owned_dialog(power);
    picture("power-off-mode-abnormal", abnormal);
    dismiss(abnormal, IDOK);
    close_dialog(power);

    refused_from_menu(tour, 0x41, 1002, "power-off-mode-read-failed");
}

void notify_method(Tour &tour) {
    const std::wstring title = tour.in_language(L"障害の通知方法設定", L"Error notification method setting");
    const DWORD on = 1;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "LCD", REG_DWORD, &on, sizeof on);
    click(tour.menu, 1125);
    HWND notify = wait_for_dialog(tour.program.id, title);
    picture("notify-method", notify);
    // A key that cannot be made: its parent volatile, the product key not.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, life_time_key);
    HKEY volatile_key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, life_time_key, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatile_key,
                    nullptr);
    RegCloseKey(volatile_key);
    click(notify, IDOK);
    HWND registration = wait_for_owned_dialog(notify);
    picture("notify-method-registration-failed", registration);
    dismiss(registration, IDOK);
    close_dialog(notify);

    RegDeleteTreeA(HKEY_LOCAL_MACHINE, life_time_key);
    store::WriteRegistryDefaults(store::defaults_for(store::Writer::SettingsProgram, narrow(tour.install_folder) + "\\"));
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, notify_key, "LCD", REG_DWORD, &on, sizeof on);
    refused_from_menu(tour, 0x23, 1125, "notify-method-no-lcd");  // the panel read fails: no LCD
    close_dialog(wait_for_dialog(tour.program.id, title));
}

void data_initialisation(Tour &tour) {
    press_chord(tour.menu, {VK_LSHIFT, VK_LCONTROL, VK_LMENU, VK_F1});
    HWND question = box_of(tour.program);
    picture("data-initialisation-question", question);
    if (!question) return;
    dismiss(question, IDYES);
    HWND running = box_of(tour.program);
    picture("data-initialisation-service-running", running);
    if (running) dismiss(running, IDOK);
}

// On a machine without SMBIOS the program cannot start.
void start_failure(Tour &tour) {
    testbed::control_request(testbed::control::use_profile, {{control_key::profile, "no-smbios"}});
    Program failing = start_program(tour.install_folder);
    HWND failure = box_of(failing);
    picture("start-failure", failure);
    if (failure) dismiss(failure, IDOK);
    WaitForSingleObject(failing.process.get(), 10'000);
    testbed::control_request(testbed::control::use_profile, {{control_key::profile, "acer"}});
}

// The single-instance guard refused: held by SYSTEM alone, as an account without the right to
// the machine-wide object would find it.
void guard_refused(Tour &tour) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;GA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const win32::UniqueHandle guard(CreateMutexW(&attributes, FALSE, L"Global\\Gk7t30UI_EXE"));
    LocalFree(descriptor);
    Program refused = start_program(tour.install_folder);
    HWND box = box_of(refused);
    picture("start-guard-refused", box);
    if (box) dismiss(box, IDOK);
    WaitForSingleObject(refused.process.get(), 10'000);
}

}  // namespace mgx::tour
