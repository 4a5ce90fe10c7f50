// What the dialogs' take steps accept from a field, as pure functions: the number and date
// rules and the exact messages of a refusal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui_text.h"

namespace mgx::settings {

// The leading decimal number of a text: leading blanks and one sign allowed, conversion stops at
// the first other character, no number gives 0. Beyond the 64-bit range it saturates, so an
// absurdly long number is out of every range instead of wrapping into one.
long long leading_number(std::wstring_view text);

// A field's number for a member with the range [minimum, maximum]: checked as typed, before it
// is narrowed to the member. `digits_only` (the 32-bit fields) also refuses an empty text and
// any character other than 0 to 9. nullopt: refused.
std::optional<long long> take_number(std::wstring_view text, long long minimum, long long maximum, bool digits_only);

// "Enter 15 to 999." in the language.
std::wstring range_message(LanguageIndex language, unsigned long minimum, unsigned long maximum);

inline constexpr UiMessage invalid_date_message = {L"日付が無効です。", L"Invalid Date."};

// A date text parsed (a time part allowed) by the conventions of the user's default locale, as
// the platform's date type (days since 1899/12/30); nullopt when it is not a date.
std::optional<double> parse_user_date(std::wstring_view text);
// A date as "%Y/%m/%d" (the time of day is dropped).
std::string format_date(double date);
// The current local date and time as the platform's date type.
double local_now();

// A date field's text as "%Y/%m/%d": parsed (a time part allowed) by the conventions of the
// user's default locale; an empty text is the date type's zero date, 1899/12/30. nullopt: not
// a date.
std::optional<std::string> take_date(std::wstring_view text);

}  // namespace mgx::settings
