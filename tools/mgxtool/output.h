// How a subcommand reports (cli/report.h), and how it shows the 8-bit texts of the unit.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/report.h"

namespace mgx::tool {

using cli::OutputOptions;
using cli::report;

// Thrown to end a subcommand with exit status 1 after its report (or with its message alone).
struct CommandFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Texts from the unit or a file (sensor names, FRU fields, LCD lines, system information) are
// 8-bit bytes that need not be UTF-8. mgxtool shows each as its bytes read as Latin-1, so every
// byte is one character and the output is valid whatever was sent; JSON also carries the bytes
// themselves in hex beside it, under the key with "_hex" added.
std::string latin1_text(std::string_view bytes);
void put_outside_text(nlohmann::json &document, const std::string &key, std::string_view bytes);
void put_outside_texts(nlohmann::json &document, const std::string &key, const std::vector<std::string_view> &texts);

// Such a text (as latin1_text made it) for a terminal: every control character (a NUL, ESC, BEL,
// the C1 range) becomes a visible "\xNN", so nothing a device sends can steer the terminal.
std::string shown_text(std::string_view text);
// The text with spaces after it up to `width` characters (not bytes).
std::string padded(std::string text, std::size_t width);

// A value in real units with at most three decimals and no trailing zeros: "12.05", "38".
std::string real_text(double value);

}  // namespace mgx::tool
