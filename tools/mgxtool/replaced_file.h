// A file replaced whole: written beside it, flushed, then moved over it, so a reader never sees
// half a file and a failure leaves the old one as it was.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string_view>

namespace mgx::tool {

// 0, or the Win32 error of the step that failed (the file beside is removed again).
DWORD replace_file(const std::filesystem::path &path, std::string_view contents);

}  // namespace mgx::tool
