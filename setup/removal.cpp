// GK7T30RM.EXE: undoes what the setup program did, for the product's installer when it removes
// the product or rolls a failed installation back: the monitoring service's registration (its
// own "-remove" run), the Start-menu shortcut in either language, the App Paths entries, the
// product key and the setup log beside it. What it does not find is not there to undo, so it
// always exits 0.
//
//   GK7T30RM [UPGRADE-CODE]
//
// With the package's upgrade code it leaves everything in place while another product of that
// code is installed: that is an upgrade removing the version it replaces, and the new version
// keeps the setup program's work (and the administrator's data in the product key).
#include <windows.h>

#include <msi.h>

#include <string>

#include "install_steps.h"
#include "product_key.h"
#include "win32/dll_search.h"
#include "win32/process_launcher.h"
#include "win32/program_directory.h"
#include "win32/unique_handle.h"

using namespace mgx;

namespace {

constexpr const char *maker_key = "SOFTWARE\\Velmora";  // the product key's parent, removed when empty

// More than one product with this upgrade code is installed.
bool replaced_by_another_version(const char *upgrade_code) {
    char product[39] = {};
    return MsiEnumRelatedProductsA(upgrade_code, 0, 1, product) == ERROR_SUCCESS;
}

void remove_shortcuts(const std::string &directory) {
    // The setup program's string table holds the shortcut's Japanese name.
    const win32::UniqueModule setup_program(
        LoadLibraryExA((directory + "GK7T30U2.EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    for (const bool japanese : {false, true}) DeleteFileA(setup::start_menu_shortcut(setup_program.get(), japanese).c_str());
}

void remove_registry_entries() {
    for (const char *program : store::registered_programs)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(store::app_paths_key) + program).c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, store::root_key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, store::root_key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, maker_key);  // fails, as it should, while other keys are under it
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
    win32::restrict_dll_search();
    if (*command_line && replaced_by_another_version(command_line)) return 0;
    const std::string directory = win32::program_directory();
    const std::wstring service_program = win32::program_directory_wide() + L"GK7T30SV.EXE";
    if (GetFileAttributesW(service_program.c_str()) != INVALID_FILE_ATTRIBUTES)
        win32::run_and_wait(win32::CommandLine(service_program).argument(L"-remove"), win32::hidden_window());
    remove_shortcuts(directory);
    remove_registry_entries();
    DeleteFileA((directory + "setup.log").c_str());
    return 0;
}
