#include "value_checks.h"

#include <windows.h>

#include <oleauto.h>

#include <climits>
#include <cstdio>

namespace mgx::settings {

namespace {

bool is_blank(wchar_t character) { return character == L' ' || character == L'\t' || (character >= L'\n' && character <= L'\r'); }

constexpr UiMessage range_format = {L"%lu～%luを入力してください。", L"Enter %lu to %lu."};

}  // namespace

long long leading_number(std::wstring_view text) {
    std::size_t at = 0;
    while (at < text.size() && is_blank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
    unsigned long long magnitude = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        magnitude = magnitude * 10 + static_cast<unsigned>(text[at] - L'0');
        if (magnitude > static_cast<unsigned long long>(LLONG_MAX)) return negative ? LLONG_MIN : LLONG_MAX;
    }
    return negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
}

std::optional<long long> take_number(std::wstring_view text, long long minimum, long long maximum, bool digits_only) {
    const long long value = leading_number(text);
    if (value < minimum || value > maximum) return std::nullopt;
    if (digits_only && (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring_view::npos)) return std::nullopt;
    return value;
}

std::wstring range_message(LanguageIndex language, unsigned long minimum, unsigned long maximum) {
    return formatted(range_format.in(language), minimum, maximum);
}

std::optional<double> parse_user_date(std::wstring_view text) {
    std::wstring terminated(text);
    DATE date = 0;
    if (FAILED(VarDateFromStr(terminated.data(), LOCALE_USER_DEFAULT, 0, &date))) return std::nullopt;
    return date;
}

std::string format_date(double date) {
    SYSTEMTIME time{};
    if (!VariantTimeToSystemTime(date, &time)) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u", time.wYear, time.wMonth, time.wDay);
    return text;
}

double local_now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    DATE date = 0;
    SystemTimeToVariantTime(&now, &date);
    return date;
}

std::optional<std::string> take_date(std::wstring_view text) {
    if (text.empty()) return format_date(0.0);  // the zero date, 1899/12/30
    const std::optional<double> date = parse_user_date(text);
    if (!date) return std::nullopt;
    const std::string formatted_date = format_date(*date);
    if (formatted_date.empty()) return std::nullopt;
    return formatted_date;
}

}  // namespace mgx::settings
