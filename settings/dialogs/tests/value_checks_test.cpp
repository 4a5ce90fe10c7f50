// The take rules as pure functions: numbers as typed, the range message, dates by the locale.
#include <gtest/gtest.h>

#include "value_checks.h"

namespace mgx::settings {
namespace {

TEST(ValueChecks, LeadingNumberReadsAsFarAsItCan) {
    EXPECT_EQ(leading_number(L"20abc"), 20);
    EXPECT_EQ(leading_number(L"  -12"), -12);
    EXPECT_EQ(leading_number(L"+7x"), 7);
    EXPECT_EQ(leading_number(L""), 0);
    EXPECT_EQ(leading_number(L"abc"), 0);
    EXPECT_EQ(leading_number(L"--5"), 0) << "one sign only";
    EXPECT_EQ(leading_number(L"99999999999999999999999"), LLONG_MAX) << "saturates, never wraps";
}

TEST(ValueChecks, RangesAreCheckedOnTheNumberAsTyped) {
    EXPECT_EQ(take_number(L"14", 15, 999, false), std::nullopt);
    EXPECT_EQ(take_number(L"1000", 15, 999, false), std::nullopt);
    EXPECT_EQ(take_number(L"65551", 15, 999, false), std::nullopt) << "not narrowed to 16 bits first";
    EXPECT_EQ(take_number(L"20abc", 15, 999, false), 20);
    EXPECT_EQ(take_number(L"", 15, 999, false), std::nullopt) << "empty is 0";
    for (const wchar_t *refused : {L"0", L"6", L"257"}) EXPECT_EQ(take_number(refused, 1, 5, false), std::nullopt) << refused;
    EXPECT_EQ(take_number(L"5", 1, 5, false), 5);
}

TEST(ValueChecks, ThirtyTwoBitFieldsTakeDigitsOnly) {
    for (const wchar_t *refused : {L"12a", L"", L" 12", L"-0", L"+5", L"100000", L"1 2"})
        EXPECT_EQ(take_number(refused, 0, 99999, true), std::nullopt) << refused;
    EXPECT_EQ(take_number(L"00012", 0, 99999, true), 12);
    EXPECT_EQ(take_number(L"99999", 0, 99999, true), 99999);
}

TEST(ValueChecks, RangeMessageInBothLanguages) {
    EXPECT_EQ(range_message(English, 15, 999), L"Enter 15 to 999.");
    EXPECT_EQ(range_message(Japanese, 1, 5), L"1～5を入力してください。");
    EXPECT_EQ(range_message(English, 0, 99999), L"Enter 0 to 99999.");
}

TEST(ValueChecks, DatesAreStoredAsYearMonthDay) {
    EXPECT_EQ(take_date(L"2000/2/3"), "2000/02/03");
    EXPECT_EQ(take_date(L"2001/04/01 13:45"), "2001/04/01") << "a time part is allowed";
    EXPECT_EQ(take_date(L""), "1899/12/30") << "empty is the zero date";
    EXPECT_EQ(take_date(L"2000/13/45"), std::nullopt);
    EXPECT_EQ(take_date(L"tomorrow"), std::nullopt);
    EXPECT_EQ(invalid_date_message.in(English), std::wstring(L"Invalid Date."));
    EXPECT_EQ(invalid_date_message.in(Japanese), std::wstring(L"日付が無効です。"));
}

}  // namespace
}  // namespace mgx::settings
