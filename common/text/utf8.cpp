#include "text/utf8.h"

#include <windows.h>

namespace mgx::text {

std::wstring wide_of(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string utf8_of(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    return utf8;
}

std::filesystem::path path_of(std::string_view utf8) { return std::filesystem::path(wide_of(utf8)); }

std::string utf8_of(const std::filesystem::path &path) { return utf8_of(std::wstring_view(path.native())); }

std::optional<std::string> ansi_of(std::string_view utf8) {
    const std::wstring wide = wide_of(utf8);
    if (wide.empty()) return std::string();
    const int length = static_cast<int>(wide.size());
    BOOL lost = FALSE;
    std::string ansi(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, &lost)),
                     '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), static_cast<int>(ansi.size()), nullptr, &lost);
    if (lost) return std::nullopt;
    return ansi;
}

}  // namespace mgx::text
