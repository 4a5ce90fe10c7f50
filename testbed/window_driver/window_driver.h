// Driving the settings program's windows as a person would, from another thread or process:
// finding dialogs and message boxes, reading and typing texts, pressing keys and buttons. Every
// wait is a bounded poll for a state, never a fixed sleep.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace mgx::settings::testing {

// How long a step may take on a busy machine before the test gives up: a poll ends as soon as
// its state holds, so only a failing test waits this long.
inline constexpr DWORD default_wait_ms = 60'000;

// Polls `done` until it holds or `limit_ms` has passed; whether it held.
bool eventually(const std::function<bool()> &done, DWORD limit_ms = default_wait_ms);

// A visible dialog (class #32770) of the process with this title; NULL when none.
HWND find_dialog(DWORD process_id, const std::wstring &title);
HWND wait_for_dialog(DWORD process_id, const std::wstring &title, DWORD limit_ms = default_wait_ms);
bool wait_until_gone(HWND window, DWORD limit_ms = default_wait_ms);
// A visible message box (or other dialog) owned by `owner`.
HWND wait_for_owned_dialog(HWND owner, DWORD limit_ms = default_wait_ms);

std::wstring text_of(HWND window);
std::wstring item_text(HWND dialog, int control_id);
// A message box's text (its static 0xFFFF).
std::wstring message_text(HWND box);
// One step with a message box: its text read, `button` pressed and the box gone. The text, or a
// note that says which part failed ("(no message box)", the text with " (still shown)").
std::wstring answered(HWND box, int button);
// A message box's buttons among IDOK, IDCANCEL, IDYES and IDNO, in that order, and whether it
// shows an icon.
struct MessageBoxLook {
    std::vector<int> buttons;
    bool icon = false;
    bool operator==(const MessageBoxLook &) const = default;
};
MessageBoxLook look_of(HWND box);
void PrintTo(const MessageBoxLook &look, std::ostream *out);

// The control with the keyboard focus in the dialog's thread.
int focused_id(HWND dialog);

// Posts a key press (down and up) to the focused control, as the keyboard would deliver it.
void press_key(HWND dialog, WPARAM key);
// Brings the window to the front and presses the keys together as real key input (down in
// order, up in reverse); whether all the input was taken.
bool press_chord(HWND window, std::initializer_list<WORD> keys);
// Presses a push button (BM_CLICK, posted so the caller never waits on a modal loop).
void click(HWND dialog, int control_id);
// Answers a message box with one of its buttons (IDYES, IDNO, IDOK).
void answer(HWND box, int button);
void type_text(HWND dialog, int control_id, const std::wstring &text);

}  // namespace mgx::settings::testing
