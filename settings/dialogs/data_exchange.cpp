#include "data_exchange.h"

#include <cstring>
#include <vector>

#include "value_checks.h"

namespace mgx::settings {

namespace {

bool is_radio_button(HWND control) {
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// The controls of the group that starts at `first`, up to the next control that starts a group.
std::vector<HWND> group_of(HWND first) {
    std::vector<HWND> group;
    for (HWND control = first; control; control = GetWindow(control, GW_HWNDNEXT)) {
        if (control != first && (GetWindowLongW(control, GWL_STYLE) & WS_GROUP)) break;
        group.push_back(control);
    }
    return group;
}

std::vector<HWND> radio_buttons_of(HWND first) {
    std::vector<HWND> buttons;
    for (HWND control : group_of(first))
        if (is_radio_button(control)) buttons.push_back(control);
    return buttons;
}

bool checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void check(HWND button, bool on) { SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

}  // namespace

DataExchange::DataExchange(HWND dialog, LanguageIndex language, ExchangeDirection direction)
    : dialog_(dialog), language_(language), direction_(direction) {}

std::wstring DataExchange::text_of(int control_id) const {
    HWND control = GetDlgItem(dialog_, control_id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void DataExchange::set_text(int control_id, const std::wstring &text) const {
    SetDlgItemTextW(dialog_, control_id, text.c_str());
}

bool DataExchange::refuse(int control_id, const std::wstring &message) const {
    wchar_t title[256] = {};
    GetWindowTextW(dialog_, title, 256);
    MessageBoxW(dialog_, message.c_str(), title, MB_OK);
    SetFocus(GetDlgItem(dialog_, control_id));
    return false;
}

template <typename Member>
bool DataExchange::exchange_number(int control_id, Member &member, long long minimum, long long maximum, bool digits_only) {
    if (!taking()) {
        set_text(control_id, std::to_wstring(member));  // "%ld" or "%u": plain decimal
        return true;
    }
    const std::optional<long long> value = take_number(text_of(control_id), minimum, maximum, digits_only);
    if (!value)
        return refuse(control_id,
                      range_message(language_, static_cast<unsigned long>(minimum), static_cast<unsigned long>(maximum)));
    member = static_cast<Member>(*value);
    return true;
}

bool DataExchange::number(int control_id, std::int32_t &member, long minimum, long maximum) {
    return exchange_number(control_id, member, minimum, maximum, true);
}

bool DataExchange::number(int control_id, std::uint16_t &member, unsigned long minimum, unsigned long maximum) {
    return exchange_number(control_id, member, minimum, maximum, false);
}

bool DataExchange::number(int control_id, std::uint8_t &member, unsigned long minimum, unsigned long maximum) {
    return exchange_number(control_id, member, minimum, maximum, false);
}

bool DataExchange::date(int control_id, char (&member)[date_field_size]) {
    if (!taking()) {
        const std::string text(member, strnlen(member, date_field_size));
        set_text(control_id, std::wstring(text.begin(), text.end()));  // dates are ASCII
        return true;
    }
    const std::optional<std::string> date = take_date(text_of(control_id));
    if (!date) return refuse(control_id, invalid_date_message.in(language_));
    std::memset(member, 0, date_field_size);
    std::memcpy(member, date->data(), std::min(date->size(), date_field_size - 1));
    return true;
}

bool DataExchange::radio_index(int first_id, std::int32_t &member) {
    const std::vector<HWND> buttons = radio_buttons_of(GetDlgItem(dialog_, first_id));
    for (std::size_t position = 0; position < buttons.size(); ++position) {
        if (!taking())
            check(buttons[position], static_cast<std::int32_t>(position) == member);
        else if (checked(buttons[position]))
            member = static_cast<std::int32_t>(position);
    }
    return true;
}

bool DataExchange::platform_radio(int first_id, std::int32_t &member) {
    if (taking()) member = -1;
    return radio_index(first_id, member);
}

bool DataExchange::enable_radio(int first_id, bool &on) {
    const std::vector<HWND> group = group_of(GetDlgItem(dialog_, first_id));
    if (group.size() < 2) return true;
    if (!taking()) {
        check(group[0], on);
        check(group[1], !on);
    } else {
        on = checked(group[0]);
    }
    return true;
}

bool DataExchange::check_box(int control_id, std::int32_t &member) {
    HWND box = GetDlgItem(dialog_, control_id);
    if (!taking())
        check(box, member != 0);
    else
        member = checked(box) ? 1 : 0;
    return true;
}

}  // namespace mgx::settings
