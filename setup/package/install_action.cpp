// UptivaInstall.dll: the installer package's custom actions around the setup program, run from
// the package's own copy (its Binary table), so they need none of the installed files.
// RunInstallActions runs GK7T30U2.EXE once in the install folder with its log there, and when
// the program fails it writes the exit code and the setup log's lines into the installer's own
// log, undoes what the program did (with the setup log) and fails the installation, so that the
// installer rolls back and leaves nothing behind. RemoveInstallActions undoes the setup
// program's work when the product is removed. LockInstallFolder makes the install folder the
// product's own before the files land; the rollback actions undo the folder and the setup
// program's work when a later step fails.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "install_folder_lock.h"
#include "install_undo.h"
#include "product_key.h"
#include "win32/process_launcher.h"

namespace {

std::wstring property(MSIHANDLE install, const wchar_t *name) {
    wchar_t empty[1] = L"";
    DWORD length = 0;
    MsiGetPropertyW(install, name, empty, &length);
    std::wstring value(length + 1, L'\0');
    length = static_cast<DWORD>(value.size());
    MsiGetPropertyW(install, name, value.data(), &length);
    value.resize(length);
    return value;
}

// A deferred action's data (for RunInstallActions the install folder, with its trailing backslash).
std::wstring action_data(MSIHANDLE install) { return property(install, L"CustomActionData"); }

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
    // The setup program takes its narrow command line, in the ANSI code page: a folder that code
    // page cannot hold would reach it as another path.
    BOOL lossy = FALSE;
    const int narrow = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, log.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (narrow == 0 || lossy) {
        PMSIHANDLE record = MsiCreateRecord(0);
        MsiRecordSetStringW(record, 0,
                            (L"Uptiva cannot be installed into " + folder +
                             L": its setup program takes the folder in this system's ANSI code page, which cannot hold "
                             L"every character of that name. Choose a folder named in that code page.")
                                .c_str());
        MsiProcessMessage(install, INSTALLMESSAGE_ERROR, record);
        return ERROR_INSTALL_FAILURE;
    }
    // The setup program reads everything after the first "-f2" as its log path: given as it
    // stands, unquoted, behind the program's bare name, so the folder's name cannot come first.
    const long exit_code =
        run_and_wait(mgx::win32::CommandLine::with_bare_name(folder + L"GK7T30U2.EXE").verbatim(L"-f2" + log), folder);
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

namespace {

// The package's own key: the install folder and the version it installed.
constexpr const wchar_t *remembered_key = L"SOFTWARE\\Velmora\\Uptiva";

// "2.0.10" as {2, 0, 10}, for comparing versions field by field.
std::vector<unsigned long> version_fields(const std::wstring &version) {
    std::vector<unsigned long> fields;
    for (std::size_t at = 0; at <= version.size();) {
        const std::size_t dot = std::min(version.find(L'.', at), version.size());
        fields.push_back(std::wcstoul(version.substr(at, dot - at).c_str(), nullptr, 10));
        at = dot + 1;
    }
    return fields;
}

// The versions of the product installed now: those of the upgrade code's related products, and
// the one the package remembers beside the install folder (Wine's installer loses the related
// products of a version that replaced another).
std::vector<std::wstring> installed_versions(const std::wstring &upgrade_code) {
    std::vector<std::wstring> versions;
    wchar_t product[39] = {};
    for (DWORD index = 0; MsiEnumRelatedProductsW(upgrade_code.c_str(), 0, index, product) == ERROR_SUCCESS; ++index) {
        wchar_t version[64] = {};
        DWORD length = 64;
        if (MsiGetProductInfoW(product, L"VersionString", version, &length) == ERROR_SUCCESS) versions.push_back(version);
    }
    wchar_t remembered[64] = {};
    DWORD size = sizeof remembered;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, remembered_key, L"Version", RRF_RT_REG_SZ, nullptr, remembered, &size) == ERROR_SUCCESS)
        versions.push_back(remembered);
    return versions;
}

}  // namespace

// Before anything is installed: a newer version of the product (by the package's upgrade code)
// is never replaced by an older one, which would run the setup program again and reset the
// administrator's data. Windows sets a property for this that a launch condition reads; not
// every installer does, so the package asks itself.
extern "C" __declspec(dllexport) UINT __stdcall RefuseDowngrade(MSIHANDLE install) {
    const std::wstring own = property(install, L"ProductVersion");
    for (const std::wstring &version : installed_versions(property(install, L"UpgradeCode"))) {
        if (version_fields(version) <= version_fields(own)) continue;
        PMSIHANDLE record = MsiCreateRecord(0);
        const std::wstring text = L"A newer version of Uptiva (" + version + L") is already installed; this package (" + own +
                                  L") does not replace it. Remove the newer version first to install this one.";
        MsiRecordSetStringW(record, 0, text.c_str());
        MsiProcessMessage(install, INSTALLMESSAGE_ERROR, record);
        return ERROR_INSTALL_FAILURE;
    }
    return ERROR_SUCCESS;
}

// Removal while the settings program runs from the install folder would leave its files (and
// the libraries it holds) behind for good: refused, saying why, until the program has ended.
extern "C" __declspec(dllexport) UINT __stdcall RefuseRemovalWhileSettingsProgramRuns(MSIHANDLE install) {
    const std::wstring guard = mgx::store::settings_program_guard;
    for (const std::wstring &name : {L"Global\\" + guard, guard}) {
        const HANDLE held = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
        if (!held) continue;
        CloseHandle(held);
        PMSIHANDLE record = MsiCreateRecord(0);
        MsiRecordSetStringW(record, 0,
                            L"The settings program GK7T30UI is running; Uptiva cannot be removed while it runs. End it "
                            L"(its \"End /Exit\" button) and remove Uptiva again.");
        MsiProcessMessage(install, INSTALLMESSAGE_ERROR, record);
        return ERROR_INSTALL_FAILURE;
    }
    return ERROR_SUCCESS;
}

namespace {

// "a|b|c" as {"a", "b", "c"}.
std::vector<std::wstring> fields_of(const std::wstring &data) {
    std::vector<std::wstring> fields;
    for (std::size_t at = 0; at <= data.size();) {
        const std::size_t bar = std::min(data.find(L'|', at), data.size());
        fields.push_back(data.substr(at, bar - at));
        at = bar + 1;
    }
    return fields;
}

// The long names of the files the package installs (the File table's "SHORT~1.EXT|Long name").
std::vector<std::wstring> shipped_names(MSIHANDLE install) {
    std::vector<std::wstring> names;
    PMSIHANDLE database = MsiGetActiveDatabase(install);
    PMSIHANDLE view;
    if (MsiDatabaseOpenViewW(database, L"SELECT `FileName` FROM `File`", &view) != ERROR_SUCCESS ||
        MsiViewExecute(view, 0) != ERROR_SUCCESS)
        return names;
    for (MSIHANDLE fetched = 0; MsiViewFetch(view, &fetched) == ERROR_SUCCESS;) {
        PMSIHANDLE record = fetched;
        wchar_t name[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (MsiRecordGetStringW(record, 1, name, &length) != ERROR_SUCCESS) continue;
        const std::wstring both(name);
        names.push_back(both.substr(both.find(L'|') + 1));
    }
    return names;
}

// The install folder and those of its parents that do not exist yet, innermost first.
std::wstring missing_folders(const std::wstring &folder) {
    std::wstring missing;
    for (std::filesystem::path path = std::filesystem::path(folder).parent_path();
         path.has_relative_path() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; path = path.parent_path())
        missing += (missing.empty() ? L"" : L"|") + path.wstring();
    return missing;
}

}  // namespace

// Before anything is installed, with the package's own tables at hand: what the deferred lock
// of the install folder needs ("fresh" or "maintenance", the folder, the names of the package's
// files), and for a rollback the folders it is going to make.
extern "C" __declspec(dllexport) UINT __stdcall PrepareFolderLock(MSIHANDLE install) {
    const std::wstring folder = property(install, L"INSTALLDIR");
    const bool fresh = property(install, L"Installed").empty() && property(install, L"WIX_UPGRADE_DETECTED").empty();
    std::wstring data = (fresh ? L"fresh|" : L"maintenance|") + folder;
    for (const std::wstring &name : shipped_names(install)) data += L"|" + name;
    MsiSetPropertyW(install, L"LockInstallFolder", data.c_str());
    MsiSetPropertyW(install, L"ForgetInstallFolder", missing_folders(folder).c_str());
    return ERROR_SUCCESS;
}

// Data: see PrepareFolderLock. Before the files land, the install folder becomes the product's
// own, or the installation stops, saying why, when it already holds what is not the product's.
extern "C" __declspec(dllexport) UINT __stdcall LockInstallFolder(MSIHANDLE install) {
    std::vector<std::wstring> fields = fields_of(action_data(install));
    if (fields.size() < 2) return ERROR_INSTALL_FAILURE;
    const auto kind = fields[0] == L"fresh" ? mgx::setup::InstallKind::Fresh : mgx::setup::InstallKind::Maintenance;
    const std::vector<std::wstring> shipped(fields.begin() + 2, fields.end());
    const mgx::setup::FolderLock lock =
        mgx::setup::lock_install_folder(mgx::setup::windows_folder_security(), fields[1], kind, shipped);
    if (lock.status == ERROR_SUCCESS) return ERROR_SUCCESS;
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, lock.refusal.c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_ERROR, record);
    return ERROR_INSTALL_FAILURE;
}

// Rollback, data: the folders the lock made, innermost first. Each goes if it is empty again.
extern "C" __declspec(dllexport) UINT __stdcall ForgetInstallFolder(MSIHANDLE install) {
    const std::wstring data = action_data(install);
    if (data.empty()) return ERROR_SUCCESS;
    for (const std::wstring &folder : fields_of(data))
        if (!RemoveDirectoryW(folder.c_str())) break;
    return ERROR_SUCCESS;
}

// Rollback, data: the install folder. A step after the setup program failed: what the program
// did goes with the files (the service, App Paths, the product key, the shortcut, its log).
extern "C" __declspec(dllexport) UINT __stdcall RollBackInstallActions(MSIHANDLE install) {
    mgx::setup::undo_install_actions(action_data(install), this_library());
    return ERROR_SUCCESS;
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
