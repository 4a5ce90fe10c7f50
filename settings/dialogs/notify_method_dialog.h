// Where threshold violations are shown: the LCD panel and the screen, kept in the registry; the
// LCD choice only where the unit reports a panel.
#pragma once

#include <windows.h>

#include "lifetime_store.h"
#include "settings_dialog.h"

namespace mgx::settings {

class NotifyMethodDialog : public SettingsDialog {
public:
    NotifyMethodDialog(HWND parent, LanguageIndex language);

protected:
    void on_init() override;
    void on_ok() override;
    bool exchange(DataExchange &exchange) override;

private:
    store::NotificationSwitches switches_{};
    store::NotificationSwitches read_switches_{};  // as the product key held them when the dialog opened
};

}  // namespace mgx::settings
