// The safe power-off mode: read from the unit at opening, written and read back on OK.
#pragma once

#include <cstdint>

#include "settings_dialog.h"

namespace mgx::settings {

class PowerOffModeDialog : public SettingsDialog {
public:
    PowerOffModeDialog(HWND parent, LanguageIndex language);

protected:
    void on_init() override;
    void on_ok() override;
    bool exchange(DataExchange &exchange) override;

private:
    // 0 Enable, 1 Disable; -1 when the unit delivered neither, so neither button is checked.
    std::int32_t mode_ = 0;
    std::int32_t read_mode_ = 0;  // as the unit held it when the dialog opened
};

}  // namespace mgx::settings
