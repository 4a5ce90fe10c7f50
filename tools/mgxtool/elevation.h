// Refusals that a token without elevation brings. On Windows with UAC an administrator's
// program gets a filtered token unless it was started "as administrator": the service manager
// refuses Halcore's driver services and HKLM refuses writes. mgxtool says so instead of giving a
// bare status.
#pragma once

#include <string>

namespace mgx::tool {

// Where a status comes from: Halcore's own codes, or a Win32 error code.
enum class StatusSource { Halcore, Win32 };

// The running process's token is elevated (or UAC does not filter it).
bool token_is_elevated();

// "mgxtool needs an elevated prompt (Run as administrator): WHAT was refused (status N)" when
// the token is not elevated and the status is one a filtered token brings (Win32 5; Halcore's
// service manager, lock and service registry codes), else "WHAT failed with status N".
std::string refusal_text(const std::string &what, long status, StatusSource source, bool elevated);

// Throws CommandFailed with refusal_text for this process's token.
[[noreturn]] void throw_refused(const std::string &what, long status, StatusSource source = StatusSource::Win32);

}  // namespace mgx::tool
