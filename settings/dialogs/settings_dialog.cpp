#include "settings_dialog.h"

#include <commctrl.h>

#include "data_exchange.h"

namespace mgx::settings {

namespace {

bool key_down(const BYTE (&keys)[256], std::initializer_list<int> any_of) {
    for (int key : any_of)
        if (keys[key] & 0x80) return true;
    return false;
}

// Shift, Ctrl and Alt all held (left or right of each), from the whole keyboard state.
bool hidden_chord_held() {
    BYTE keys[256] = {};
    if (!GetKeyboardState(keys)) return false;
    return key_down(keys, {VK_SHIFT, VK_LSHIFT, VK_RSHIFT}) && key_down(keys, {VK_CONTROL, VK_LCONTROL, VK_RCONTROL}) &&
           key_down(keys, {VK_MENU, VK_LMENU, VK_RMENU});
}

}  // namespace

SettingsDialog::SettingsDialog(int resource_id, HWND parent, int ok_id, int cancel_id, LanguageIndex language)
    : resource_id_(resource_id), parent_(parent), ok_id_(ok_id), cancel_id_(cancel_id), language_(language) {}

SettingsDialog::~SettingsDialog() {
    if (window_) DestroyWindow(window_);
}

INT_PTR SettingsDialog::run() {
    ended_ = false;
    result_ = 0;
    // The owner is disabled first: initialisation may already show a message.
    owner_disabled_ = parent_ && IsWindowEnabled(parent_);
    if (owner_disabled_) EnableWindow(parent_, FALSE);
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource_id_), parent_, &procedure,
                                 reinterpret_cast<LPARAM>(this));
    if (!window_) {
        enable_owner();
        return -1;
    }
    if (!ended_) ShowWindow(window_, SW_SHOW);
    MSG message;
    while (!ended_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside this one
            break;
        }
        if (got < 0) break;
        if (pre_translate(message)) continue;
        if (IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    enable_owner();
    DestroyWindow(window_);
    window_ = nullptr;
    tool_tips_ = nullptr;
    return result_;
}

bool SettingsDialog::pre_translate(const MSG &message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
    switch (message.wParam) {
    case VK_RETURN: {
        const int focused = GetDlgCtrlID(GetFocus());
        if (ok_id_ != 0 && focused == ok_id_)
            on_ok();
        else if (cancel_id_ != 0 && focused == cancel_id_)
            on_cancel();
        else
            SendMessageW(window_, WM_NEXTDLGCTL, 0, FALSE);
        return true;
    }
    case VK_ESCAPE: on_cancel(); return true;
    case VK_UP: SendMessageW(window_, WM_NEXTDLGCTL, 1, FALSE); return true;
    case VK_DOWN: SendMessageW(window_, WM_NEXTDLGCTL, 0, FALSE); return true;
    case VK_F1:
        if (hidden_chord_held()) {
            hidden_function();
            return true;
        }
        // Passed on without the platform's dialog handling (no help request).
        TranslateMessage(&message);
        DispatchMessageW(&message);
        return true;
    default: return false;
    }
}

void SettingsDialog::on_ok() {
    if (take_all()) end(IDOK);
}

bool SettingsDialog::show_all() {
    DataExchange exchange(window(), language(), ExchangeDirection::Show);
    return this->exchange(exchange);
}

bool SettingsDialog::take_all() {
    DataExchange exchange(window(), language(), ExchangeDirection::Take);
    return this->exchange(exchange);
}

void SettingsDialog::enable_owner() {
    if (!owner_disabled_) return;
    owner_disabled_ = false;
    EnableWindow(parent_, TRUE);
    SetActiveWindow(parent_);
}

void SettingsDialog::end(INT_PTR result) {
    result_ = result;
    ended_ = true;
    // The owner comes back before this window goes, so the activation passes straight to it.
    enable_owner();
    if (window_) ShowWindow(window_, SW_HIDE);
    PostMessageW(nullptr, WM_NULL, 0, 0);  // wakes the loop
}

int SettingsDialog::message_box(const std::wstring &text, UINT style) const {
    return MessageBoxW(window_, text.c_str(), program_title, style);
}

void SettingsDialog::add_tool(HWND control, const wchar_t *tip) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t *>(tip);
    SendMessageW(tool_tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tool_tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void SettingsDialog::create_tool_tips() {
    if (tool_tips_) return;
    tool_tips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tool_tips_, TTM_ACTIVATE, TRUE, 0);
}

void SettingsDialog::apply_row(const UiTextRow &row, long number) {
    HWND control = GetDlgItem(window_, row.control_id);
    add_tool(control, row.tip.in(language_));
    SetWindowTextW(control, formatted(row.caption.in(language_), number).c_str());
}

bool SettingsDialog::apply_ui_text(int control_id, UiTable table, long number) {
    create_tool_tips();
    for (const UiTextRow &row : table) {
        if (row.control_id != control_id) continue;
        apply_row(row, number);
        return true;
    }
    return false;
}

void SettingsDialog::apply_title(UiTable table) {
    for (const UiTextRow &row : table)
        if (row.control_id == 0) SetWindowTextW(window_, row.caption.in(language_));
}

void SettingsDialog::apply_texts(UiTable table, int numbered_id, long number) {
    apply_title(table);
    create_tool_tips();
    for (const UiTextRow &row : table)
        if (row.control_id != 0) apply_row(row, row.control_id == numbered_id ? number : -1);
}

INT_PTR CALLBACK SettingsDialog::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        auto *dialog = reinterpret_cast<SettingsDialog *>(l);
        SetWindowLongPtrW(window, DWLP_USER, l);
        dialog->window_ = window;
        dialog->on_init();
        return TRUE;  // the platform puts the focus on the first control
    }
    auto *dialog = reinterpret_cast<SettingsDialog *>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog ? dialog->handle(message, w, l) : FALSE;
}

INT_PTR SettingsDialog::handle(UINT message, WPARAM w, LPARAM l) {
    INT_PTR result = 0;
    if (on_message(message, w, l, result)) {
        // These few answer through the procedure's own result; the rest through DWLP_MSGRESULT.
        if (message == WM_QUERYDRAGICON || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLOREDIT ||
            message == WM_CTLCOLORBTN || message == WM_CTLCOLORDLG)
            return result;
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(w), code = HIWORD(w);
        // A click on the dialog's OK or cancel button does what Enter on it does; a dialog
        // without one of them takes the platform's IDOK or IDCANCEL in its place.
        if (code == BN_CLICKED && id == (ok_id_ ? ok_id_ : IDOK)) {
            on_ok();
            return TRUE;
        }
        if (code == BN_CLICKED && (id == cancel_id_ || id == IDCANCEL)) {
            on_cancel();
            return TRUE;
        }
        return on_command(id, code) ? TRUE : FALSE;
    }
    case WM_CLOSE: on_cancel(); return TRUE;
    default: return FALSE;
    }
}

}  // namespace mgx::settings
