// The version box, opened from the main menu's system menu.
#pragma once

#include "settings_dialog.h"

namespace mgx::settings {

class AboutDialog : public SettingsDialog {
public:
    AboutDialog(HWND parent, LanguageIndex language);

protected:
    void on_init() override;
};

}  // namespace mgx::settings
