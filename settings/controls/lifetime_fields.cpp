#include "lifetime_fields.h"

#include <commctrl.h>

#include "value_checks.h"

namespace mgx::settings {

namespace {

constexpr UINT_PTR subclass_id = 1;
const wchar_t *const no_date = L"          ";  // ten blanks

}  // namespace

ColorEdit::ColorEdit(const FieldColours &colours)
    : colours_(colours),
      alert_brush_(CreateSolidBrush(colours.alert_background)),
      changed_brush_(CreateSolidBrush(colours.changed_background)) {}

ColorEdit::~ColorEdit() {
    if (window_) RemoveWindowSubclass(window_, &procedure, subclass_id);
}

void ColorEdit::attach(LifetimeFieldHost &host, int id) {
    host_ = &host;
    id_ = id;
    window_ = GetDlgItem(host.host_window(), id);
    SetWindowSubclass(window_, &procedure, subclass_id, reinterpret_cast<DWORD_PTR>(this));
}

std::wstring ColorEdit::text() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
    return text;
}

HBRUSH ColorEdit::colour_request(HDC context) const {
    HBRUSH brush = nullptr;
    if (text() != loaded_text_) {
        SetTextColor(context, colours_.changed_text);
        SetBkColor(context, colours_.changed_background);
        brush = changed_brush_.get();
    }
    if (alert_) {
        SetTextColor(context, colours_.alert_text);
        SetBkColor(context, colours_.alert_background);
        brush = alert_brush_.get();
    }
    return brush;
}

void ColorEdit::set_alert(bool alert) {
    alert_ = alert;
    InvalidateRect(window_, nullptr, TRUE);
}

void ColorEdit::group_focus(int button, bool in_group, bool gained) {
    HWND dialog = host_->host_window();
    if (HWND control = GetDlgItem(dialog, button)) {
        ShowWindow(control, in_group ? SW_SHOW : SW_HIDE);
        SendMessageW(dialog, WM_SHOWEDITBUTTON, static_cast<WPARAM>(button), in_group ? 1 : 0);
        if (gained)
            host_->set_current_field(this);
        else if (!in_group)
            host_->set_current_field(nullptr);
    }
}

LRESULT CALLBACK ColorEdit::procedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR self) {
    auto *field = reinterpret_cast<ColorEdit *>(self);
    const LRESULT result = DefSubclassProc(window, message, w, l);
    if (message == WM_SETFOCUS) field->focus_gained();
    if (message == WM_KILLFOCUS) field->focus_lost(reinterpret_cast<HWND>(w));
    return result;
}

InstallDateEdit::InstallDateEdit() : ColorEdit(lifetime_colours) {}

void InstallDateEdit::refresh(bool normalise) {
    const std::wstring typed = text();
    const wchar_t *next_change = no_date;
    std::wstring computed;
    if (typed.empty()) {
        set_alert(false);
    } else if (const std::optional<double> date = parse_user_date(typed)) {
        if (normalise) {
            const std::string own = format_date(*date);
            SetDlgItemTextW(host_->host_window(), id(), std::wstring(own.begin(), own.end()).c_str());
        }
        const double next = *date + life_hours_ / 24.0;
        const std::string formatted_next = format_date(next);
        computed.assign(formatted_next.begin(), formatted_next.end());
        next_change = computed.c_str();
        set_alert(next < local_now());
    }
    SetDlgItemTextW(host_->host_window(), next_change_id_, next_change);
}

void InstallDateEdit::focus_lost(HWND next) {
    refresh(true);
    group_focus(set_today_button, host_->is_date_field(next) || GetDlgCtrlID(next) == set_today_button, false);
}

void InstallDateEdit::focus_gained() { group_focus(set_today_button, true, true); }

RunningHoursEdit::RunningHoursEdit() : ColorEdit(lifetime_colours) {}

void RunningHoursEdit::focus_lost(HWND next) {
    set_alert(leading_number(text()) >= limit_);
    group_focus(set_zero_button, host_->is_hours_field(next) || GetDlgCtrlID(next) == set_zero_button, false);
}

void RunningHoursEdit::focus_gained() { group_focus(set_zero_button, true, true); }

FocusButton::~FocusButton() {
    if (window_) RemoveWindowSubclass(window_, &procedure, subclass_id);
}

void FocusButton::attach(HWND button) {
    window_ = button;
    SetWindowSubclass(window_, &procedure, subclass_id, 0);
}

LRESULT CALLBACK FocusButton::procedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(window, message, w, l);
    if (message == WM_KILLFOCUS) ShowWindow(window, SW_HIDE);
    return result;
}

}  // namespace mgx::settings
