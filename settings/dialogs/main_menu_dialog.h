// The main menu: one button per function, the memory-error clear, the server's running hours
// (refreshed hourly, whatever modal loop runs), the version box in the system menu and the data
// initialisation on Shift+Ctrl+Alt+F1.
#pragma once

#include <cstdint>

#include "settings_dialog.h"

namespace mgx::settings {

inline constexpr UINT_PTR running_hours_timer = 1;
inline constexpr UINT running_hours_period_ms = 3'600'000;
inline constexpr UINT about_command = 0x10;

class MainMenuDialog : public SettingsDialog {
public:
    // The back-end state the program started with, for the dialogs that depend on it.
    explicit MainMenuDialog(std::int32_t back_end_state);

protected:
    void on_init() override;
    void on_ok() override;
    void on_cancel() override;
    void hidden_function() override;
    bool on_command(int id, int code) override;
    bool on_message(UINT message, WPARAM w, LPARAM l, INT_PTR &result) override;

private:
    std::int32_t back_end_state_;
    void refresh_running_hours();
    void clear_memory_errors();
    void paint_minimised_icon();
    void close(INT_PTR result);

    HICON icon_;
    std::uint32_t running_hours_ = 0;
};

}  // namespace mgx::settings
