#include "elevation.h"

#include <windows.h>

#include <halcore/status_codes.h>

#include "output.h"
#include "win32/unique_handle.h"

namespace mgx::tool {

namespace {

bool refused_by_token(long status, StatusSource source) {
    namespace code = hal::status;
    if (source == StatusSource::Win32) return status == ERROR_ACCESS_DENIED;
    return status == code::service_manager_failed || status == code::database_lock_failed ||
           status == code::service_registry_failed;
}

}  // namespace

bool token_is_elevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;  // nothing known against it
    const win32::UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return true;
    return elevation.TokenIsElevated != 0;
}

std::string refusal_text(const std::string &what, long status, StatusSource source, bool elevated) {
    const std::string code = "(status " + std::to_string(status) + ")";
    if (!elevated && refused_by_token(status, source))
        return "mgxtool needs an elevated prompt (Run as administrator): " + what + " was refused " + code;
    return what + " failed " + code;
}

void throw_refused(const std::string &what, long status, StatusSource source) {
    throw CommandFailed(refusal_text(what, status, source, token_is_elevated()));
}

}  // namespace mgx::tool
