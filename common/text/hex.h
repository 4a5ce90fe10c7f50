// Hexadecimal text for byte strings: "3a 30 00" style, used by logs, the control channel and
// the command-line front end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mgx::text {

using Bytes = std::vector<std::uint8_t>;

// Lower-case pairs separated by single spaces.
std::string to_hex(std::span<const std::uint8_t> bytes);

// A number as the listings show one: "0x3A", "0x002A7C" (upper case, at least `digits` digits).
inline std::string hex_number(std::uint32_t value, int digits = 2) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

// Accepts pairs with or without separating spaces; nullopt on any other character or an odd digit count.
std::optional<Bytes> from_hex(std::string_view text);

}  // namespace mgx::text
