#include "notify_method_dialog.h"
#include "message_catalogue.h"

#include <algorithm>
#include <string>
#include <vector>

#include <halcore/mgx_call.h>

#include "change_log.h"
#include "data_exchange.h"
#include "lifetime_store.h"
#include "resource.h"

namespace mgx::settings {

namespace {

using namespace messages::notify_method;

constexpr UiTextRow texts[] = {
    {0, {L"障害の通知方法設定", L"Error notification method setting"}, {L"", L""}},
    {IDC_NOTIFY_LCD,
     {L"ＬＣＤへの表示", L"Display to LCD"},
     {L"しきい値超えが発生すると、ＬＣＤにしきい値超えを表示します。", L""}},
    {IDC_NOTIFY_SCREEN,
     {L"画面への表示", L"Display to Screen"},
     {L"しきい値超えが発生すると、画面にしきい値超えを表示します。", L""}},
    {IDOK, {L"OK", L"OK"}, {L"設定を保存し、メインメニューへ戻ります", L""}},
    {IDCANCEL, {L"ｷｬﾝｾﾙ", L"CANCEL"}, {L"設定を保存しないで、メインメニューへ戻ります", L""}},
};

}  // namespace

NotifyMethodDialog::NotifyMethodDialog(HWND parent, LanguageIndex language)
    : SettingsDialog(IDD_NOTIFY_METHOD, parent, IDOK, IDCANCEL, language) {}

bool NotifyMethodDialog::exchange(DataExchange &exchange) {
    std::int32_t lcd = switches_[0] != 0, screen = switches_[1] != 0;
    exchange.check_box(IDC_NOTIFY_LCD, lcd);
    exchange.check_box(IDC_NOTIFY_SCREEN, screen);
    switches_[0] = static_cast<DWORD>(lcd);
    switches_[1] = static_cast<DWORD>(screen);
    return true;
}

void NotifyMethodDialog::on_init() {
    apply_texts(texts);
    store::ReadNotificationSwitches(switches_);
    std::copy(std::begin(switches_), std::end(switches_), read_switches_);
    hal::MgxPanelState panel{};
    if (hal::mgx_call<hal::CommandType::PanelRead>(panel) != 0 || !panel.is_set(hal::PanelFlag::LcdPresent)) {
        if (switches_[0] != 0) {
            switches_[0] = 0;
            show(no_lcd);
        }
        EnableWindow(GetDlgItem(window(), IDC_NOTIFY_LCD), FALSE);
    }
    show_all();
}

void NotifyMethodDialog::on_ok() {
    take_all();
    if (const LONG status = store::WriteNotificationSwitches(switches_)) {
        show(registration_failed, static_cast<unsigned long>(status));
        return;
    }
    const auto shown = [](DWORD on) { return std::string(on ? "on" : "off"); };
    std::vector<service::LoggedChange> changes;
    const char *what[2] = {"notification on the LCD panel", "notification on the screen"};  // as mgxtool notify says
    for (int i = 0; i < 2; ++i)
        if ((switches_[i] != 0) != (read_switches_[i] != 0))
            changes.push_back({what[i], shown(read_switches_[i]), shown(switches_[i])});
    service::log_changes(program_name, changes);
    SettingsDialog::on_ok();
}

}  // namespace mgx::settings
