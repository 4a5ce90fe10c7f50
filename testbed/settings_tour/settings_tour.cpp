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
// message it shows instead), closes it and ends: 0 when the main menu came up. With --hold in
// place of --check the main menu stays open until a line arrives on standard input.
//
// settings_tour --where TITLES CONTROL_ID
//
// Waits for a visible dialog of any process with one of the titles ("Main menu|メインメニュー")
// and prints the screen place "X Y WIDTH HEIGHT" of its control CONTROL_ID (0: the dialog).
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "control_client.h"
#include "tour.h"
#include "window_driver.h"

namespace control_key = mgx::testbed::control::key;

int main() {
    using namespace mgx::tour;
    // The wide command line: an install folder outside the ANSI code page arrives whole.
    int argc = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &argc), &LocalFree);
    if (argv && argc == 4 && std::wstring(argv.get()[1]) == L"--where")
        return where(argv.get()[2], static_cast<int>(std::wcstol(argv.get()[3], nullptr, 10)));
    if (!argv || argc != 3) {
        std::fprintf(stderr,
                     "usage: settings_tour INSTALL_FOLDER LANGUAGE | settings_tour INSTALL_FOLDER --check|--hold | "
                     "settings_tour --where TITLES CONTROL_ID\n");
        return 2;
    }
    Tour tour;
    tour.install_folder = argv.get()[1];
    const std::wstring second = argv.get()[2];
    if (second == L"--check" || second == L"--hold") return check(tour.install_folder, second == L"--hold");
    tour.language = std::wcstoul(second.c_str(), nullptr, 10);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\GK7T30", "Language", REG_DWORD, &tour.language, sizeof tour.language);
    mgx::testbed::control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
    mgx::testbed::control_request(
        mgx::testbed::control::set_unit,
        {{control_key::unit, {{control_key::running_hours, 24680}, {control_key::running_hours_fixed, true}}}});

    tour.program = start_program(tour.install_folder);
    tour.menu = mgx::settings::testing::wait_for_dialog(tour.program.id, tour.in_language(L"メインメニュー", L"Main menu"));
    for (void (*window)(Tour &) :
         {main_menu_and_memory_clear, component_lifetime, start_monitoring, power_off_mode, notify_method, data_initialisation})
        window(tour);
    mgx::settings::testing::press_key(tour.menu, VK_ESCAPE);
    WaitForSingleObject(tour.program.process.get(), 10'000);

    start_failure(tour);
    guard_refused(tour);
    return 0;
}
