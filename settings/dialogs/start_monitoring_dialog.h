// POST and OS-boot monitoring: read from the unit and interpreted at opening, written and read
// back on OK. The dialog works on a form of its own, in minutes and switches; the unit's seconds
// and selector bytes are made only where it reads and writes.
#pragma once

#include <halcore/boot_monitoring.h>
#include <halcore/command_records.h>

#include "settings_dialog.h"

namespace mgx::settings {

class StartMonitoringDialog : public SettingsDialog {
public:
    // The back-end state the program started with, as the language, comes from the main menu.
    StartMonitoringDialog(HWND parent, LanguageIndex language, std::int32_t back_end_state);

protected:
    void on_init() override;
    void on_ok() override;
    bool on_command(int id, int code) override;
    bool exchange(DataExchange &exchange) override;

private:
    // What the dialog shows: each function on or off, its time-out in minutes and its retries.
    struct Form {
        bool post_on = false, os_boot_on = false;
        std::uint16_t post_minutes = hal::boot_monitoring::post_default_minutes,
                      os_boot_minutes = hal::boot_monitoring::os_boot_default_minutes;
        std::uint8_t post_retries = 2, os_boot_retries = 2;
        std::int32_t retry_method = 0;
    };
    static hal::BootMonitorSettings to_unit(const Form &form);
    void interpret(const hal::BootMonitorSettings &read);
    hal::BootMonitorSettings read_{};
    bool cautioned();
    void select(int checked, int unchecked, bool focus_checked);

    Form form_;
    std::int32_t back_end_state_;
};

}  // namespace mgx::settings
