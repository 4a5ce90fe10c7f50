#include "input_parsing.h"

#include <CLI/CLI.hpp>

#include "text/hex.h"

namespace mgx::tool {

int parse_byte(const std::string &text) {
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used, 0);
    } catch (const std::exception &) {
    }
    if (used != text.size() || value < 0 || value > 255) throw CLI::ValidationError("\"" + text + "\" is not a byte (0 to 255)");
    return value;
}

std::vector<std::uint8_t> parse_hex(const std::string &text, std::size_t limit, const char *what) {
    auto bytes = text::from_hex(text);
    if (!bytes) throw CLI::ValidationError(std::string(what) + " must be hexadecimal bytes, e.g. \"de ad be ef\"");
    if (bytes->empty()) throw CLI::ValidationError(std::string(what) + ": give at least one byte");
    if (bytes->size() > limit) throw CLI::ValidationError(std::string(what) + ": at most " + std::to_string(limit) + " bytes");
    return *bytes;
}

}  // namespace mgx::tool
