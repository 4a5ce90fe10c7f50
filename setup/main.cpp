// GK7T30U2.EXE: the install actions the product's setup runs once. Exit code 0 when all was
// done, 3 for no usable management unit, a failed registry write or a service program that did
// not start, else the Win32 error of a directory that could not be made.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include <halcore/back_end_state.h>
#include <halcore/halcore.h>
#include <halcore/mgx_call.h>

#include "install_log.h"
#include "install_steps.h"
#include "language.h"
#include "registry_defaults.h"
#include "win32/dll_search.h"
#include "win32/process_launcher.h"
#include "win32/program_directory.h"

using namespace mgx::setup;

namespace {

constexpr int failed = 3;

std::optional<std::string> log_path(const char *command_line) {
    const char *option = std::strstr(command_line, "-f2");
    if (!option) return std::nullopt;
    return std::string(option + 3);
}

// The panel read that decides the "LCD" default: it succeeds and reports an LCD panel.
bool lcd_panel_present() {
    mgx::hal::MgxPanelState state{};
    return mgx::hal::mgx_call<mgx::hal::CommandType::PanelRead>(state) == 0 && state.is_set(mgx::hal::PanelFlag::LcdPresent);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mgx::win32::restrict_dll_search();
    Sleep(100);
    std::int32_t state = -1;
    const std::int32_t initialised = HCXInitImbSmbDll(&state);

    DWORD result = ERROR_SUCCESS;
    std::optional<std::string> path = log_path(GetCommandLineA());
    if (path) {
        if (DWORD made = create_directory_chain(*path)) {
            result = made;
            path.reset();
        }
    }
    const InstallLog log(path);
    log.line("GK7T30U2.EXE start.\n");
    if (initialised != 0 || !mgx::hal::is_usable(state)) {
        log.line("MGX Error. MGX does not exist or invalid MGX type.\n");
        Sleep(100);
        return failed;
    }

    const std::string directory = mgx::win32::program_directory();
    if (DWORD made = create_directory_chain(directory)) {
        result = made;
        log.line("Directory Error. Can not make directory.\n");
    }
    mgx::store::DefaultsContext defaults = mgx::store::defaults_for(mgx::store::Writer::SetupProgram, directory);
    defaults.lcd_panel_present = lcd_panel_present;
    if (mgx::store::WriteRegistryDefaults(defaults) != 0) {
        result = failed;
        log.line("Registry Error. Can not set data to registry.\n");
    }
    if (result == ERROR_SUCCESS) {
        // The service program registers itself afresh; the outcome of its removal run is not examined.
        const std::wstring service_program = mgx::win32::program_directory_wide() + L"GK7T30SV.EXE";
        const mgx::win32::LaunchOptions hidden = mgx::win32::hidden_window();
        mgx::win32::run_and_wait(mgx::win32::CommandLine(service_program).argument(L"-remove"), hidden);
        if (!mgx::win32::run_and_wait(mgx::win32::CommandLine(service_program).argument(L"-install"), hidden)) {
            log.line("Start Error. Can not start GK7T30SV.EXE.\n");
            result = failed;
        } else {
            const bool japanese = mgx::store::language_default(mgx::store::Writer::SetupProgram, GetUserDefaultLangID(),
                                                               GetSystemDefaultLangID()) == mgx::store::Japanese;
            create_start_menu_shortcut(directory, japanese);
        }
        log.line("GK7T30U2.EXE complete.\n");
    }
    HCXFreeImbSmbDll();
    Sleep(100);
    return static_cast<int>(result);
}
