#include "win32/trusted_owner.h"

#include <sddl.h>

#include <memory>
#include <vector>

#include "win32/unique_handle.h"

namespace mgx::win32 {

namespace {

// One piece of this process's token (TokenUser, TokenOwner), whose SID comes first.
std::vector<BYTE> token_part(TOKEN_INFORMATION_CLASS part) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    const UniqueHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, part, nullptr, 0, &size);
    std::vector<BYTE> bytes(size);
    if (size == 0 || !GetTokenInformation(token, part, bytes.data(), size, &size)) return {};
    return bytes;
}

bool is_own_account(PSID owner) {
    for (const TOKEN_INFORMATION_CLASS part : {TokenUser, TokenOwner}) {
        const std::vector<BYTE> bytes = token_part(part);
        // TOKEN_USER and TOKEN_OWNER both begin with the SID's pointer.
        if (!bytes.empty() && EqualSid(owner, *reinterpret_cast<PSID const *>(bytes.data()))) return true;
    }
    return false;
}

}  // namespace

bool is_trusted_owner(PSID owner) {
    return IsWellKnownSid(owner, WinLocalSystemSid) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
           is_own_account(owner);
}

std::wstring sid_text(PSID sid) {
    wchar_t *text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"(unknown)";
    const std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(text, &LocalFree);
    return text;
}

}  // namespace mgx::win32
