// The component lifetime dialog's edit fields: they colour themselves (blue once changed, red
// once their part is due), compute a battery's next change date, and tell their dialog when the
// button of their kind ("Set today to install date", "Set 0 to running") is to be shown.
#pragma once

#include <windows.h>

#include <string>

#include "win32/unique_handle.h"

namespace mgx::settings {

// WM_SHOWEDITBUTTON: sent (not posted) by a field to its dialog. wParam: the button (3 dates, 4
// running hours); lParam: 1 shown, 0 hidden.
inline constexpr UINT WM_SHOWEDITBUTTON = WM_USER + 100;
inline constexpr int set_today_button = 3;
inline constexpr int set_zero_button = 4;

class ColorEdit;

// What the fields need from their dialog.
class LifetimeFieldHost {
public:
    virtual HWND host_window() const = 0;
    virtual bool is_date_field(HWND window) const = 0;
    virtual bool is_hours_field(HWND window) const = 0;
    virtual void set_current_field(ColorEdit *field) = 0;

protected:
    ~LifetimeFieldHost() = default;
};

struct FieldColours {
    COLORREF alert_text, alert_background, changed_text, changed_background;
};

inline constexpr FieldColours lifetime_colours = {RGB(255, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(255, 255, 255)};

class ColorEdit {
public:
    explicit ColorEdit(const FieldColours &colours);
    ColorEdit(const ColorEdit &) = delete;
    ColorEdit &operator=(const ColorEdit &) = delete;
    virtual ~ColorEdit();

    // Takes over the dialog's edit control `id`.
    void attach(LifetimeFieldHost &host, int id);
    void set_loaded_text(const std::wstring &text) { loaded_text_ = text; }
    // The answer to the platform's colour request for this field: the brush, or NULL for the
    // default colours.
    HBRUSH colour_request(HDC context) const;

    HWND window() const { return window_; }
    int id() const { return id_; }
    bool alert() const { return alert_; }
    std::wstring text() const;

    // The field lost the focus to `next` (which may be NULL).
    virtual void focus_lost(HWND next) = 0;

protected:
    virtual void focus_gained() = 0;
    void set_alert(bool alert);
    // Shows or hides the group's button and tells the dialog; the current field stays only while
    // the focus stays in the group.
    void group_focus(int button, bool in_group, bool gained);

    LifetimeFieldHost *host_ = nullptr;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR self);

    FieldColours colours_;
    win32::Owned<HBRUSH, &DeleteObject> alert_brush_, changed_brush_;
    HWND window_ = nullptr;
    int id_ = 0;
    bool alert_ = false;
    std::wstring loaded_text_;
};

// A battery's install date with its next change date in the read-only field `next_change_id`.
class InstallDateEdit : public ColorEdit {
public:
    InstallDateEdit();
    void set_next_change_id(int id) { next_change_id_ = id; }
    void set_life_hours(std::int32_t hours) { life_hours_ = hours; }
    // Recomputes the next change date and the alert; `normalise` rewrites the field as %Y/%m/%d.
    void refresh(bool normalise);
    void focus_lost(HWND next) override;

protected:
    void focus_gained() override;

private:
    int next_change_id_ = 0;
    std::int32_t life_hours_ = 17520;
};

// A fan's or the power supply's running hours, in alert at or above the limit.
class RunningHoursEdit : public ColorEdit {
public:
    RunningHoursEdit();
    void set_limit(std::int32_t limit) { limit_ = limit; }
    void focus_lost(HWND next) override;

protected:
    void focus_gained() override;

private:
    std::int32_t limit_ = 0;
};

// A push button that hides itself when it loses the focus.
class FocusButton {
public:
    FocusButton() = default;
    FocusButton(const FocusButton &) = delete;
    FocusButton &operator=(const FocusButton &) = delete;
    ~FocusButton();
    void attach(HWND button);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR);
    HWND window_ = nullptr;
};

}  // namespace mgx::settings
