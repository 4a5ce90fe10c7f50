// Texts between the forms Windows and the programs use: UTF-8 inside the programs, UTF-16 for
// the wide API (paths above all), the system's ANSI code page for the narrow API.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mgx::text {

// Invalid sequences become U+FFFD.
std::wstring wide_of(std::string_view utf8);
std::string utf8_of(std::wstring_view wide);

// A path named in UTF-8, and a path's UTF-8 name (for messages and reports).
std::filesystem::path path_of(std::string_view utf8);
std::string utf8_of(const std::filesystem::path &path);

// The text in the ANSI code page, for the narrow API; nullopt when that code page has no
// character for one of its characters.
std::optional<std::string> ansi_of(std::string_view utf8);

}  // namespace mgx::text
