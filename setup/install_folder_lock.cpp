#include "install_folder_lock.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "win32/trusted_owner.h"

namespace mgx::setup {

namespace {

// The folder: owned by the Administrators, protected, its entries inherited by all below it.
constexpr const wchar_t *folder_descriptor = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// Everything below it: owned by the Administrators, no entry of its own, all inherited.
constexpr const wchar_t *entry_descriptor = L"O:BAD:";
constexpr const wchar_t *setup_log = L"setup.log";

using LocalMemory = std::unique_ptr<void, decltype(&LocalFree)>;

bool trusted(const std::wstring &sid_text) {
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(sid_text.c_str(), &sid)) return false;
    const LocalMemory owned(sid, &LocalFree);
    return win32::is_trusted_owner(sid);
}

bool same_name(const std::wstring &left, const std::wstring &right) {
    return CompareStringOrdinal(left.c_str(), -1, right.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool ours(const std::wstring &entry, const std::vector<std::wstring> &shipped) {
    return same_name(entry, setup_log) ||
           std::any_of(shipped.begin(), shipped.end(), [&](const std::wstring &name) { return same_name(entry, name); });
}

FolderLock refused(DWORD status, const std::wstring &folder, const std::wstring &reason) {
    return {status, L"Uptiva cannot be installed into " + folder + L": " + reason};
}

std::wstring without_backslash(const std::wstring &folder) {
    return folder.size() > 3 && folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder;
}

class WindowsFolderSecurity final : public FolderSecurity {
public:
    WindowsFolderSecurity() {
        // SYSTEM holds these; they let it take over a folder whose access list leaves it out.
        for (const wchar_t *privilege : {L"SeTakeOwnershipPrivilege", L"SeRestorePrivilege"}) enable(privilege);
    }

    DWORD owner(const std::wstring &path, std::wstring &sid) override {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return GetLastError();
        PSID owner = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        const DWORD status = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                                   nullptr, nullptr, &descriptor);
        const LocalMemory owned(descriptor, &LocalFree);
        if (status == ERROR_SUCCESS) sid = owner ? win32::sid_text(owner) : L"";
        return status;
    }

    std::vector<std::wstring> entries(const std::wstring &folder) override {
        std::vector<std::wstring> names;
        std::error_code error;
        const std::filesystem::path root(folder);
        for (auto it = std::filesystem::recursive_directory_iterator(root, error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
            names.push_back(it->path().lexically_relative(root).wstring());
        return names;
    }

    DWORD create(const std::wstring &folder, const wchar_t *descriptor) override {
        const std::filesystem::path path(without_backslash(folder));
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (error) return static_cast<DWORD>(error.value());
        PSECURITY_DESCRIPTOR made = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &made, nullptr))
            return GetLastError();
        const LocalMemory owned(made, &LocalFree);
        SECURITY_ATTRIBUTES attributes{sizeof attributes, made, FALSE};
        return CreateDirectoryW(path.c_str(), &attributes) ? ERROR_SUCCESS : GetLastError();
    }

    DWORD apply(const std::wstring &path, const wchar_t *descriptor, bool protect) override {
        PSECURITY_DESCRIPTOR made = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &made, nullptr))
            return GetLastError();
        const LocalMemory owned(made, &LocalFree);
        PSID owner = nullptr;
        BOOL present = FALSE, defaulted = FALSE;
        PACL access = nullptr;
        GetSecurityDescriptorOwner(made, &owner, &defaulted);
        GetSecurityDescriptorDacl(made, &present, &access, &defaulted);
        const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                          (protect ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
        return SetNamedSecurityInfoW(const_cast<wchar_t *>(path.c_str()), SE_FILE_OBJECT, what, owner, nullptr, access, nullptr);
    }

private:
    static void enable(const wchar_t *privilege) {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
        TOKEN_PRIVILEGES privileges{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
        if (LookupPrivilegeValueW(nullptr, privilege, &privileges.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(token);
    }
};

}  // namespace

FolderSecurity &windows_folder_security() {
    static WindowsFolderSecurity security;
    return security;
}

FolderLock lock_install_folder(FolderSecurity &security, const std::wstring &folder, InstallKind kind,
                               const std::vector<std::wstring> &shipped) {
    const std::wstring path = without_backslash(folder);
    std::wstring owner;
    const DWORD found = security.owner(path, owner);
    if (found == ERROR_FILE_NOT_FOUND || found == ERROR_PATH_NOT_FOUND) {
        const DWORD made = security.create(folder, folder_descriptor);
        if (made == ERROR_SUCCESS) return {};
        return refused(made, folder, L"the folder could not be made (error " + std::to_wstring(made) + L").");
    }
    if (found != ERROR_SUCCESS)
        return refused(found, folder, L"its owner could not be read (error " + std::to_wstring(found) + L").");
    const std::vector<std::wstring> below = security.entries(folder);
    if (kind == InstallKind::Fresh) {
        // Its owner could change the permissions back at will, and a file of somebody else's
        // beside programs that run as SYSTEM may be a library they would load.
        if (!owner.empty() && !trusted(owner))
            return refused(ERROR_INVALID_OWNER, folder,
                           L"the folder exists already and belongs to " + owner +
                               L", not to SYSTEM or the Administrators, who alone may change the programs in it. "
                               L"Remove the folder or choose another one.");
        for (const std::wstring &entry : below) {
            if (ours(entry, shipped)) continue;
            return refused(ERROR_FILE_EXISTS, folder,
                           L"the folder holds " + entry +
                               L", which is not Uptiva's; its programs run as SYSTEM and share their folder with nothing "
                               L"of unknown origin. Move it away or choose another folder.");
        }
    }
    if (const DWORD status = security.apply(path, folder_descriptor, true); status != ERROR_SUCCESS)
        return refused(status, folder,
                       L"the folder could not be given the product's permissions (error " + std::to_wstring(status) + L").");
    for (const std::wstring &entry : below) {
        if (const DWORD status = security.apply(folder + entry, entry_descriptor, false); status != ERROR_SUCCESS)
            return refused(status, folder,
                           entry + L" could not be given the folder's permissions (error " + std::to_wstring(status) + L").");
    }
    return {};
}

}  // namespace mgx::setup
