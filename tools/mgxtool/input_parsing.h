// Numbers and bytes as typed on the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mgx::tool {

// "0x3a" or "58" as a byte; throws CLI::ValidationError otherwise.
int parse_byte(const std::string &text);

// Hexadecimal bytes ("de ad be ef"), at least one and at most `limit`; throws
// CLI::ValidationError naming `what` otherwise.
std::vector<std::uint8_t> parse_hex(const std::string &text, std::size_t limit, const char *what);

}  // namespace mgx::tool
