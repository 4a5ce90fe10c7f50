// The wear parts' life data: install dates of the batteries with their next change dates,
// running hours of the fans and the power supply with their life times. OK writes what changed
// to the registry and tells the monitoring service which parts were changed.
#pragma once

#include <array>

#include "lifetime_fields.h"
#include "lifetime_store.h"
#include "settings_dialog.h"
#include "wear_parts.h"

namespace mgx::settings {

class ComponentLifetimeDialog : public SettingsDialog, private LifetimeFieldHost {
public:
    ComponentLifetimeDialog(HWND parent, LanguageIndex language);

protected:
    void on_init() override;
    void on_ok() override;
    bool on_command(int id, int code) override;
    bool on_message(UINT message, WPARAM w, LPARAM l, INT_PTR &result) override;
    bool exchange(DataExchange &exchange) override;

private:
    HWND host_window() const override { return window(); }
    bool is_date_field(HWND window) const override;
    bool is_hours_field(HWND window) const override;
    void set_current_field(ColorEdit *field) override { current_field_ = field; }

    ColorEdit *field_of(HWND window);
    void show_hint(WPARAM button, LPARAM shown);
    void set_today();
    void set_zero();

    std::array<InstallDateEdit, store::raid_card_count + 1> date_fields_;  // RAID cards 1 to 16, then the UPS
    std::array<RunningHoursEdit, 3> hours_fields_;                         // by counter: CPU fan, power supply, chassis fan
    FocusButton set_zero_button_;
    ColorEdit *current_field_ = nullptr;
    store::LifetimeRecord record_{};
    store::LifetimeRecord baseline_{};
    std::uint32_t server_running_hours_ = 0;
};

}  // namespace mgx::settings
