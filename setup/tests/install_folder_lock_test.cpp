// The install folder's lock through a seam that records each security call: Wine reads a file's
// owner and access list back from its Unix mode, so only the calls show what Windows would get.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "install_folder_lock.h"

namespace {

using mgx::setup::InstallKind;

constexpr const wchar_t *folder = L"D:\\Tools\\Uptiva\\";
constexpr const wchar_t *locked = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr const wchar_t *administrators = L"S-1-5-32-544";
constexpr const wchar_t *a_user = L"S-1-5-21-1111-2222-3333-1001";
const std::vector<std::wstring> shipped = {L"GK7T30SV.EXE", L"Halcore.dll"};

struct RecordingSecurity final : mgx::setup::FolderSecurity {
    bool exists = true;
    std::wstring owner_sid = administrators;
    std::vector<std::wstring> below;
    DWORD apply_status = ERROR_SUCCESS;
    std::vector<std::wstring> calls;

    DWORD owner(const std::wstring &, std::wstring &sid) override {
        if (!exists) return ERROR_FILE_NOT_FOUND;
        sid = owner_sid;
        return ERROR_SUCCESS;
    }
    std::vector<std::wstring> entries(const std::wstring &) override { return below; }
    DWORD create(const std::wstring &path, const wchar_t *descriptor) override {
        calls.push_back(L"create " + path + L" " + descriptor);
        return ERROR_SUCCESS;
    }
    DWORD apply(const std::wstring &path, const wchar_t *descriptor, bool protect) override {
        calls.push_back(L"apply " + path + L" " + descriptor + (protect ? L" protected" : L" inherited"));
        return apply_status;
    }
};

struct Case {
    const char *what;
    bool exists;
    const wchar_t *owner;
    std::vector<std::wstring> below;
    InstallKind kind;
    DWORD apply_status;
    DWORD status;
    std::vector<std::wstring> calls;
    const wchar_t *refusal_names;  // a part of the refusal, or none
};

TEST(InstallFolderLock, OwnerAndPermissionsBeforeTheFilesOrARefusalThatSaysWhy) {
    const std::wstring top = L"apply D:\\Tools\\Uptiva " + std::wstring(locked) + L" protected";
    const auto entry = [](const wchar_t *name) { return std::wstring(L"apply ") + folder + name + L" O:BAD: inherited"; };
    const std::vector<Case> cases = {
        {"a new folder is made with the product's owner and permissions",
         false,
         administrators,
         {},
         InstallKind::Fresh,
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         {std::wstring(L"create ") + folder + L" " + locked},
         nullptr},
        {"an administrators' folder with a failed install's files: owner, list and every entry reset",
         true,
         administrators,
         {L"GK7T30SV.EXE", L"setup.log"},
         InstallKind::Fresh,
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         {top, entry(L"GK7T30SV.EXE"), entry(L"setup.log")},
         nullptr},
        {"a folder a user made first is refused untouched",
         true,
         a_user,
         {},
         InstallKind::Fresh,
         ERROR_SUCCESS,
         ERROR_INVALID_OWNER,
         {},
         L"belongs to S-1-5-21-1111-2222-3333-1001"},
        {"a file the package does not ship is refused untouched",
         true,
         administrators,
         {L"Halcore.dll", L"notes.txt"},
         InstallKind::Fresh,
         ERROR_SUCCESS,
         ERROR_FILE_EXISTS,
         {},
         L"holds notes.txt"},
        {"an upgrade takes its own folder over whoever owns it",
         true,
         a_user,
         {L"Halcore.dll", L"notes.txt"},
         InstallKind::Maintenance,
         ERROR_SUCCESS,
         ERROR_SUCCESS,
         {top, entry(L"Halcore.dll"), entry(L"notes.txt")},
         nullptr},
        {"a refused permission stops the installation with its error",
         true,
         administrators,
         {},
         InstallKind::Fresh,
         ERROR_ACCESS_DENIED,
         ERROR_ACCESS_DENIED,
         {top},
         L"(error 5)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RecordingSecurity security;
        security.exists = c.exists;
        security.owner_sid = c.owner;
        security.below = c.below;
        security.apply_status = c.apply_status;
        const mgx::setup::FolderLock lock = mgx::setup::lock_install_folder(security, folder, c.kind, shipped);
        EXPECT_EQ(lock.status, c.status);
        EXPECT_EQ(security.calls, c.calls);
        if (c.refusal_names) {
            EXPECT_NE(lock.refusal.find(c.refusal_names), std::wstring::npos);
            EXPECT_EQ(lock.refusal.rfind(std::wstring(L"Uptiva cannot be installed into ") + folder, 0), 0u);
        } else {
            EXPECT_EQ(lock.refusal, L"");
        }
    }
}

}  // namespace
