#include "cli/input_parsing.h"

#include <charconv>

#include "text/hex.h"
#include "text/utf8.h"

namespace mgx::cli {

std::optional<long long> parse_whole_number(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (magnitude > static_cast<unsigned long long>(std::numeric_limits<long long>::max())) return std::nullopt;
    const long long value = static_cast<long long>(magnitude);
    return negative ? -value : value;
}

CLI::Validator number_in(long long minimum, long long maximum) {
    const std::string range = std::to_string(minimum) + " to " + std::to_string(maximum);
    return CLI::Validator(
        [minimum, maximum, range](std::string &text) -> std::string {
            const std::optional<long long> value = parse_whole_number(text);
            if (!value) return "enter " + range + " (\"" + text + "\" is not a number)";
            if (*value < minimum || *value > maximum) return "enter " + range + " (" + text + " is out of range)";
            text = std::to_string(*value);
            return {};
        },
        "NUMBER in " + range);
}

std::string ansi_text(const std::string &typed, const char *what) {
    std::optional<std::string> ansi = text::ansi_of(typed);
    if (!ansi)
        throw CLI::ValidationError(std::string(what) + " \"" + typed +
                                   "\" has characters this system's ANSI code page cannot hold");
    return std::move(*ansi);
}

int parse_byte(const std::string &text) {
    const std::optional<long long> value = parse_whole_number(text);
    if (!value || *value < 0 || *value > 255) throw CLI::ValidationError("\"" + text + "\" is not a byte (0 to 255)");
    return static_cast<int>(*value);
}

std::vector<std::uint8_t> parse_hex(const std::string &text, std::size_t limit, const char *what) {
    auto bytes = text::from_hex(text);
    if (!bytes) throw CLI::ValidationError(std::string(what) + " must be hexadecimal bytes, e.g. \"de ad be ef\"");
    if (bytes->empty()) throw CLI::ValidationError(std::string(what) + ": give at least one byte");
    if (bytes->size() > limit) throw CLI::ValidationError(std::string(what) + ": at most " + std::to_string(limit) + " bytes");
    return *bytes;
}

std::optional<std::chrono::year_month_day> calendar_date(std::string_view text) {
    if (text.size() != 10 || text[4] != '/' || text[7] != '/') return std::nullopt;
    const auto field = [&text](std::size_t at, std::size_t length) -> int {
        int value = 0;
        const auto [end, error] = std::from_chars(text.data() + at, text.data() + at + length, value);
        return error == std::errc() && end == text.data() + at + length ? value : -1;
    };
    const int year = field(0, 4), month = field(5, 2), day = field(8, 2);
    if (year < 100 || month < 1 || day < 1) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) return std::nullopt;
    return date;
}

}  // namespace mgx::cli
