// UptivaInstall.dll: the installer package's custom actions around the setup program, run from
// the package's own copy (its Binary table), so they need none of the installed files.
// RunInstallActions runs GK7T30U2.EXE once in the install folder with its log there, and when
// the program fails it writes the exit code and the setup log's lines into the installer's own
// log, undoes what the program did (with the setup log) and fails the installation, so that the
// installer rolls back and leaves nothing behind. RemoveInstallActions undoes the setup
// program's work when the product is removed.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "install_undo.h"
#include "win32/process_launcher.h"

namespace {

// The deferred action's data (for RunInstallActions the install folder, with its trailing
// backslash).
std::wstring action_data(MSIHANDLE install) {
    wchar_t empty[1] = L"";
    DWORD length = 0;
    MsiGetPropertyW(install, L"CustomActionData", empty, &length);
    std::wstring folder(length + 1, L'\0');
    length = static_cast<DWORD>(folder.size());
    MsiGetPropertyW(install, L"CustomActionData", folder.data(), &length);
    folder.resize(length);
    return folder;
}

void log_line(MSIHANDLE install, const std::wstring &text) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text.c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

// The program's exit code, or -1 when it could not be started; it runs hidden in the folder.
long run_and_wait(const mgx::win32::CommandLine &command, const std::wstring &folder) {
    const std::optional<DWORD> exit_code = mgx::win32::run_and_wait(command, mgx::win32::hidden_window(folder));
    return exit_code ? static_cast<long>(*exit_code) : -1;
}

// This library, whose string table holds the shortcut's Japanese name.
HMODULE this_library() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&this_library), &module);
    return module;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall RunInstallActions(MSIHANDLE install) {
    const std::wstring folder = action_data(install);
    const std::wstring log = folder + L"setup.log";
    // The setup program reads everything after "-f2" as its log path: given as it stands, unquoted.
    const long exit_code = run_and_wait(mgx::win32::CommandLine(folder + L"GK7T30U2.EXE").verbatim(L"-f2" + log), folder);
    if (exit_code == 0) return ERROR_SUCCESS;

    log_line(install,
             L"The setup program " + folder + L"GK7T30U2.EXE " +
                 (exit_code < 0 ? std::wstring(L"could not be started") : L"ended with exit code " + std::to_wstring(exit_code)) +
                 L"; its log " + log + L" said:");
    std::ifstream lines{std::filesystem::path(log)};
    for (std::string line; std::getline(lines, line);) log_line(install, std::wstring(line.begin(), line.end()));
    lines.close();
    mgx::setup::undo_install_actions(folder, this_library());
    return ERROR_INSTALL_FAILURE;
}

// Data "UPGRADE-CODE|INSTALL-FOLDER". An upgrade removing the version it replaces leaves the
// setup program's work to the new version (and the administrator's data in the product key).
extern "C" __declspec(dllexport) UINT __stdcall RemoveInstallActions(MSIHANDLE install) {
    const std::wstring data = action_data(install);
    const std::size_t separator = data.find(L'|');
    if (separator == std::wstring::npos) return ERROR_SUCCESS;
    if (mgx::setup::replaced_by_another_version(data.substr(0, separator).c_str())) return ERROR_SUCCESS;
    mgx::setup::undo_install_actions(data.substr(separator + 1), this_library());
    return ERROR_SUCCESS;
}
