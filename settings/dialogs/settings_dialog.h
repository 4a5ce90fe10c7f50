// The base of every dialog of the settings program: a dialog from its resource template, shown
// modally in a loop of its own so that the keyboard rules run before the platform's dialog key
// handling; the bilingual texts with their tool tips; the OK, cancel and hidden-function actions.
#pragma once

#include <windows.h>

#include <string>

#include <halcore/mgx_call.h>

#include "ui_text.h"

namespace mgx::settings {

// The program as the change log names it.
inline constexpr const char *program_name = "GK7T30UI";

class DataExchange;

class SettingsDialog {
public:
    SettingsDialog(int resource_id, HWND parent, int ok_id, int cancel_id, LanguageIndex language);
    SettingsDialog(const SettingsDialog &) = delete;
    SettingsDialog &operator=(const SettingsDialog &) = delete;
    virtual ~SettingsDialog();

    // Shows the dialog modally (its owner disabled meanwhile) and returns the result it closed with.
    INT_PTR run();

    HWND window() const { return window_; }
    LanguageIndex language() const { return language_; }

    // The keyboard rules, for one queued message; true when the message was consumed.
    bool pre_translate(const MSG &message);

protected:
    // Initialisation, before the dialog is shown.
    virtual void on_init() {}
    // The replaceable actions.
    virtual void on_ok();
    virtual void on_cancel() { end(IDCANCEL); }
    virtual void hidden_function() {}
    // A command from a control other than OK and cancel; true when handled.
    virtual bool on_command(int, int) { return false; }
    // Any other message; true when handled, with the dialog procedure's result in `result`.
    virtual bool on_message(UINT, WPARAM, LPARAM, INT_PTR &) { return false; }
    // The dialog's data exchange steps in their order; false when a take step refused.
    virtual bool exchange(DataExchange &) { return true; }

    void set_language(LanguageIndex language) { language_ = language; }
    // Sets the control's caption from the table (formatted with `number`) and its tool tip.
    bool apply_ui_text(int control_id, UiTable table, long number = -1);
    // The window title: row 0 of the table.
    void apply_title(UiTable table);
    // The title and every control's caption and tip; the caption of `numbered_id` formatted with `number`.
    void apply_texts(UiTable table, int numbered_id = 0, long number = -1);
    bool show_all();
    bool take_all();
    void end(INT_PTR result);
    // A message box owned by the dialog with the program's title as caption.
    int message_box(const std::wstring &text, UINT style) const;
    // One of the program's message boxes in the dialog's language, its text formatted with `number`.
    template <typename... Number>
    int show(const UiMessageBox &box, Number... number) const {
        return message_box(formatted(box.text.in(language()), number...), box.style);
    }
    // Every write to the unit: `value` written with command Write, read back with command Read
    // into `read_back` and compared with `same`. True when the unit holds it; otherwise `failed`
    // is shown with the status of the command that failed, or 0 when the unit holds another value.
    template <hal::CommandType Write, hal::CommandType Read, typename Value, typename Same>
    bool write_verified(const Value &value, Value read_back, Same same, const UiMessageBox &failed) const {
        std::int32_t status = hal::mgx_call<Write>(value);
        if (status == 0) {
            status = hal::mgx_call<Read>(read_back);
            if (status == 0 && same(read_back, value)) return true;
        }
        show(failed, static_cast<long>(status));
        return false;
    }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    INT_PTR handle(UINT message, WPARAM w, LPARAM l);
    void add_tool(HWND control, const wchar_t *tip);
    // The tool tip window, made once, before the first tip is added.
    void create_tool_tips();
    // One row of a text table: the control's caption (formatted with `number`) and its tip.
    void apply_row(const UiTextRow &row, long number);
    void enable_owner();

    int resource_id_;
    HWND parent_;
    int ok_id_, cancel_id_;
    LanguageIndex language_;
    HWND window_ = nullptr;
    HWND tool_tips_ = nullptr;     // owned by the dialog's window, destroyed with it
    bool owner_disabled_ = false;  // by this dialog, while it runs
    bool ended_ = false;
    INT_PTR result_ = 0;
};

}  // namespace mgx::settings
