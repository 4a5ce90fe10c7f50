#include "install_undo.h"

#include <msi.h>

#include "install_steps.h"
#include "product_key.h"
#include "win32/process_launcher.h"
#include "win32/unique_handle.h"

namespace mgx::setup {

namespace {

constexpr const char *maker_key = "SOFTWARE\\Velmora";  // the product key's parent, removed when empty
constexpr const wchar_t *service_name = L"GK7T30SV";

bool exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The service program's own removal first; a registration it left (or could not remove, its
// file being gone) is stopped and deleted here.
void remove_monitoring_service(const std::wstring &install_folder) {
    const std::wstring program = install_folder + L"GK7T30SV.EXE";
    if (exists(program)) win32::run_and_wait(win32::CommandLine(program).argument(L"-remove"), win32::hidden_window());
    const win32::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    const win32::UniqueServiceHandle service(OpenServiceW(manager.get(), service_name, SERVICE_STOP | DELETE));
    if (!service) return;
    SERVICE_STATUS status{};
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service.get());  // gone once it has stopped
}

void remove_registry_entries() {
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        for (const char *program : store::registered_programs)
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, (std::string(store::app_paths_key) + program).c_str(), view, 0);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, store::root_key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, store::root_key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, maker_key);  // fails, as it should, while other keys are under it
}

}  // namespace

bool replaced_by_another_version(const wchar_t *upgrade_code) {
    wchar_t product[39] = {};
    return MsiEnumRelatedProductsW(upgrade_code, 0, 1, product) == ERROR_SUCCESS;
}

void undo_install_actions(const std::wstring &install_folder, HMODULE strings) {
    remove_monitoring_service(install_folder);
    for (const bool japanese : {false, true}) DeleteFileA(start_menu_shortcut(strings, japanese).c_str());
    remove_registry_entries();
    DeleteFileW((install_folder + L"setup.log").c_str());
}

}  // namespace mgx::setup
