// The data exchange steps of the settings dialogs: each moves one member to its control (show)
// or from it (take). A take step that refuses the field's text shows its message with the
// dialog's title as caption, puts the focus back on the field and returns false, so the
// dialog's exchange stops there.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui_text.h"

namespace mgx::settings {

enum class ExchangeDirection { Show, Take };

inline constexpr std::size_t date_field_size = 16;

class DataExchange {
public:
    DataExchange(HWND dialog, LanguageIndex language, ExchangeDirection direction);

    bool taking() const { return direction_ == ExchangeDirection::Take; }

    // Numbers in edit fields, range checked as typed; the 32-bit variant takes digits only.
    bool number(int control_id, std::int32_t &member, long minimum, long maximum);
    bool number(int control_id, std::uint16_t &member, unsigned long minimum, unsigned long maximum);
    bool number(int control_id, std::uint8_t &member, unsigned long minimum, unsigned long maximum);
    // A "%Y/%m/%d" date in a 16-byte text member.
    bool date(int control_id, char (&member)[date_field_size]);
    // The checked radio button's position in the group that starts at `first_id`, counting radio
    // buttons only; a take with none checked keeps the member.
    bool radio_index(int first_id, std::int32_t &member);
    // The same, but a take with none checked stores -1 (the platform's radio exchange).
    bool platform_radio(int first_id, std::int32_t &member);
    // An Enable/Disable pair: on is the first button checked, off the second.
    bool enable_radio(int first_id, bool &on);
    bool check_box(int control_id, std::int32_t &member);

private:
    bool refuse(int control_id, const std::wstring &message) const;
    std::wstring text_of(int control_id) const;
    void set_text(int control_id, const std::wstring &text) const;
    template <typename Member>
    bool exchange_number(int control_id, Member &member, long long minimum, long long maximum, bool digits_only);

    HWND dialog_;
    LanguageIndex language_;
    ExchangeDirection direction_;
};

}  // namespace mgx::settings
