// Hexadecimal text for byte strings: "3a 30 00" style, used by logs, the control channel and
// the command-line front end.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mgx::text {

using Bytes = std::vector<std::uint8_t>;

// Lower-case pairs separated by single spaces.
std::string to_hex(std::span<const std::uint8_t> bytes);

// Accepts pairs with or without separating spaces; nullopt on any other character or an odd digit count.
std::optional<Bytes> from_hex(std::string_view text);

}  // namespace mgx::text
