// Numbers, dates and bytes as typed on the command line. Every option that takes a number is
// added through add_number, so each one is checked the same way before anything runs.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <CLI/CLI.hpp>

namespace mgx::cli {

// A whole number as typed: decimal ("020" is 20) or hexadecimal after "0x", with an optional
// minus sign. nullopt for an empty text or anything else.
std::optional<long long> parse_whole_number(std::string_view text);

// The check of a numeric option: a whole number from `minimum` to `maximum`, handed on as plain
// decimal. An empty value is refused like any other that is not a number.
CLI::Validator number_in(long long minimum, long long maximum);

namespace detail {
template <typename T>
struct NumberOf {
    using type = T;
};
template <typename T>
struct NumberOf<std::optional<T>> {
    using type = T;
};
}  // namespace detail

// Adds a numeric option (or positional) whose range is [minimum, maximum], by default the whole
// range of its type.
template <typename Target, typename Number = typename detail::NumberOf<Target>::type>
CLI::Option *add_number(CLI::App *command, const std::string &name, Target &target, const std::string &description,
                        long long minimum = std::numeric_limits<Number>::min(),
                        long long maximum = static_cast<long long>(std::min<unsigned long long>(
                            std::numeric_limits<Number>::max(), std::numeric_limits<long long>::max()))) {
    static_assert(std::is_integral_v<Number>);
    return command->add_option(name, target, description)->transform(number_in(minimum, maximum));
}

// A typed text for the narrow API, the unit and the libraries that take 8-bit texts: in the ANSI
// code page, as the settings program hands texts on. Throws CLI::ValidationError naming `what`
// when that code page has no character for one of its characters.
std::string ansi_text(const std::string &typed, const char *what);

// "0x3a" or "58" as a byte; throws CLI::ValidationError otherwise.
int parse_byte(const std::string &text);

// Hexadecimal bytes ("de ad be ef"), at least one and at most `limit`; throws
// CLI::ValidationError naming `what` otherwise.
std::vector<std::uint8_t> parse_hex(const std::string &text, std::size_t limit, const char *what);

// A date as the settings program keeps it, "YYYY/MM/DD", that is a day of the calendar (years
// 100 to 9999, the platform's date range): 2021/02/31 and 0000/00/00 are not.
std::optional<std::chrono::year_month_day> calendar_date(std::string_view text);
inline bool is_calendar_date(std::string_view text) { return calendar_date(text).has_value(); }

}  // namespace mgx::cli
