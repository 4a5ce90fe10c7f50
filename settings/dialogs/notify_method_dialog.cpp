#include "notify_method_dialog.h"
#include "message_catalogue.h"

#include <algorithm>
#include <string>
#include <vector>

#include <halcore/mgx_call.h>

#include "data_exchange.h"
#include "lifetime_store.h"
#include "resource.h"
#include "setting_changes.h"

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
    std::int32_t lcd = switches_.lcd != 0, screen = switches_.screen != 0;
    exchange.check_box(IDC_NOTIFY_LCD, lcd);
    exchange.check_box(IDC_NOTIFY_SCREEN, screen);
    switches_.lcd = static_cast<DWORD>(lcd);
    switches_.screen = static_cast<DWORD>(screen);
    return true;
}

void NotifyMethodDialog::on_init() {
    apply_texts(texts);
    store::ReadNotificationSwitches(switches_);
    read_switches_ = switches_;
    hal::MgxPanelState panel{};
    if (hal::mgx_call<hal::CommandType::PanelRead>(panel) != 0 || !panel.is_set(hal::PanelFlag::LcdPresent)) {
        if (switches_.lcd != 0) {
            switches_.lcd = 0;
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
    service::log_changes(program_name, service::notification_changes(read_switches_, switches_));
    SettingsDialog::on_ok();
}

}  // namespace mgx::settings
