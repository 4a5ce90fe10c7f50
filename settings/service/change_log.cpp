#include "change_log.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "omra_logging.h"
#include "win32/trusted_owner.h"

namespace mgx::service {

namespace {

constexpr const char *folder_name = "\\Uptiva";
constexpr const char *file_name = "\\changes.log";
constexpr const wchar_t *folder_access = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

using LocalMemory = std::unique_ptr<void, decltype(&LocalFree)>;

std::string program_data() {
    char folder[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsA("%ProgramData%", folder, MAX_PATH);
    return length > 1 && length <= MAX_PATH && folder[0] != '%' ? std::string(folder) : std::string("C:\\ProgramData");
}

std::string folder_path() { return program_data() + folder_name; }

// The folder made with the product's permissions, or an existing one whose owner is trusted.
bool usable_folder(std::string &why) {
    const std::string folder = folder_path();
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(folder_access, SDDL_REVISION_1, &made, nullptr)) {
        why = "its folder's permissions could not be built (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    const LocalMemory owned_made(made, &LocalFree);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, made, FALSE};
    if (CreateDirectoryA(folder.c_str(), &attributes)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        why = folder + " could not be made (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                               nullptr, nullptr, &descriptor);
    const LocalMemory owned(descriptor, &LocalFree);
    if (status != ERROR_SUCCESS) {
        why = "the owner of " + folder + " could not be read (error " + std::to_string(status) + ")";
        return false;
    }
    if (!owner || win32::is_trusted_owner(owner)) return true;
    const std::wstring sid = win32::sid_text(owner);
    why = folder + " was made by another account (" + std::string(sid.begin(), sid.end()) +
          "), which could change what it holds: nothing is written there";
    return false;
}

std::string user_name() {
    char name[256] = {};
    DWORD length = sizeof name;
    return GetUserNameA(name, &length) ? std::string(name) : std::string("(unknown user)");
}

}  // namespace

std::string change_log_path() { return folder_path() + file_name; }

bool log_changes(const char *program, const std::vector<LoggedChange> &changes, std::string *why) {
    if (changes.empty()) return true;
    std::string reason;
    bool written = usable_folder(reason);
    const std::string path = change_log_path(), user = user_name();
    for (const LoggedChange &change : changes) {
        if (!written) break;
        const std::string line =
            "user " + user + " | " + program + " | " + change.what + ": " + change.before + " -> " + change.after;
        if (!OMRALogging(path.c_str(), line.c_str())) {
            reason = path + " could not be written (error " + std::to_string(GetLastError()) + ")";
            written = false;
        }
    }
    if (!written && why) *why = "the change log was not written: " + reason;
    return written;
}

}  // namespace mgx::service
