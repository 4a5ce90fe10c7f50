// UptivaInstall.dll: the installer package's custom action around the setup program. It runs
// GK7T30U2.EXE once in the install folder with its log there, and when the program fails it
// writes the exit code and the setup log's lines into the installer's own log, undoes what the
// program did (GK7T30RM.EXE, which also removes the setup log) and fails the installation, so
// that the installer rolls back and leaves nothing behind.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "win32/process_launcher.h"

namespace {

// The deferred action's data: the install folder, with its trailing backslash.
std::wstring install_folder(MSIHANDLE install) {
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

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall RunInstallActions(MSIHANDLE install) {
    const std::wstring folder = install_folder(install);
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
    run_and_wait(mgx::win32::CommandLine(folder + L"GK7T30RM.EXE"), folder);
    return ERROR_INSTALL_FAILURE;
}
