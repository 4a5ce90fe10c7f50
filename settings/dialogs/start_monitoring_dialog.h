// POST and OS-boot monitoring: read from the unit and interpreted at opening, written in seconds
// and read back on OK. The time-outs are minutes while the dialog is open.
#pragma once

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
    void interpret(const hal::BootMonitorSettings &read);
    bool cautioned();
    void select(int checked, int unchecked, bool focus_checked);

    // Bytes 0 and 1 hold the POST and OS-boot "off" flags until the write step.
    hal::BootMonitorSettings settings_{1, 1, 1800, 2, 3600, 2, 0};
    std::int32_t back_end_state_;
};

}  // namespace mgx::settings
