// The install folder made the product's own before any of its files lands there: owned by the
// Administrators; SYSTEM and the Administrators full control, Users read and execute; protected
// from its parent's permissions, and everything below it reset to inherit exactly that. A folder
// somebody else made first is taken over only when it can hold nothing of theirs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mgx::setup {

// The security calls the lock makes, apart so that a test can record them: Wine reads a file's
// owner and access list back from its Unix mode, whatever was set.
class FolderSecurity {
public:
    virtual ~FolderSecurity() = default;
    // ERROR_SUCCESS and the owner's SID ("S-1-5-32-544"); ERROR_FILE_NOT_FOUND or
    // ERROR_PATH_NOT_FOUND when nothing is there.
    virtual DWORD owner(const std::wstring &path, std::wstring &sid) = 0;
    // Everything below the folder, as paths relative to it, each folder before its content.
    virtual std::vector<std::wstring> entries(const std::wstring &folder) = 0;
    // Makes the folder, and any parent missing, the folder itself with this descriptor (SDDL).
    virtual DWORD create(const std::wstring &folder, const wchar_t *descriptor) = 0;
    // Gives the path the descriptor's owner and access list; `protect` keeps the parent's out.
    virtual DWORD apply(const std::wstring &path, const wchar_t *descriptor, bool protect) = 0;
};

// The calls as Windows makes them (the privileges to take a file over enabled first).
FolderSecurity &windows_folder_security();

enum class InstallKind {
    Fresh,        // nothing of the product installed: the folder must be new or hold nothing foreign
    Maintenance,  // an upgrade or a repair: the folder is the product's already
};

struct FolderLock {
    DWORD status = ERROR_SUCCESS;
    std::wstring refusal;  // why the folder was not locked, for the installer's log and error
};

// `folder` ends with a backslash; `shipped` are the names of the package's files, beside which
// only the setup program's log may lie.
FolderLock lock_install_folder(FolderSecurity &security, const std::wstring &folder, InstallKind kind,
                               const std::vector<std::wstring> &shipped);

}  // namespace mgx::setup
