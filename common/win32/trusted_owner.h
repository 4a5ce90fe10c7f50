// Who may own what the product relies on: a named object or a folder whose owner is anyone else
// was made first by another account, which can change its permissions at will.
#pragma once

#include <windows.h>

#include <string>

namespace mgx::win32 {

// SYSTEM, the Administrators, or this process's own account (its token's user or default owner).
bool is_trusted_owner(PSID owner);

// "S-1-5-19", or "(unknown)".
std::wstring sid_text(PSID sid);

}  // namespace mgx::win32
