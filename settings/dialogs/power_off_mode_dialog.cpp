#include "power_off_mode_dialog.h"
#include "message_catalogue.h"

#include <functional>
#include <string>

#include <halcore/mgx_call.h>

#include "data_exchange.h"
#include "resource.h"
#include "setting_changes.h"

namespace mgx::settings {

namespace {

using namespace messages::power_off_mode;

constexpr UiTextRow texts[] = {
    {0, {L"電源切断モード設定", L"Power off mode setting"}, {L"", L""}},
    {IDC_POWER_OFF_FRAME, {L"安全に電源を切断するモード", L"Safe power off mode"}, {L"", L""}},
    {IDOK, {L"OK", L"OK"}, {L"設定を保存し、メインメニューへ戻ります", L""}},
    {IDCANCEL, {L"ｷｬﾝｾﾙ", L"CANCEL"}, {L"設定を保存しないで、メインメニューへ戻ります", L""}},
    {IDC_POWER_OFF_ENABLE, {L"有効にする", L"Enable"}, {L"安全に電源を切断するモードを有効にします", L""}},
    {IDC_POWER_OFF_DISABLE, {L"無効にする", L"Disable"}, {L"安全に電源を切断するモードを無効にします", L""}},
    {IDC_POWER_OFF_DESCRIPTION,
     {L"OS実行中に電源スイッチが押されても、すぐに電源切断をせずシャットダウンを実行する機能です",
      L"This function performs shutdown instead of performing\npower off immediately, even when the switch is\npressed during "
      L"the "
      L"execution of OS."},
     {L"", L""}},
};

// The unit's mode, or -1 when it answered without one (the command then leaves the output).
constexpr std::int32_t no_mode = -1;

}  // namespace

PowerOffModeDialog::PowerOffModeDialog(HWND parent, LanguageIndex language)
    : SettingsDialog(IDD_POWER_OFF_MODE, parent, IDOK, IDCANCEL, language) {}

bool PowerOffModeDialog::exchange(DataExchange &exchange) { return exchange.platform_radio(IDC_POWER_OFF_ENABLE, mode_); }

void PowerOffModeDialog::on_init() {
    apply_texts(texts);
    std::int32_t read = no_mode;
    if (const std::int32_t status = hal::mgx_call<hal::CommandType::SafeMode>(read)) {
        show(read_failed, static_cast<long>(status));
        end(IDOK);
        return;
    }
    mode_ = read_mode_ = read;
    show_all();
}

void PowerOffModeDialog::on_ok() {
    take_all();
    if (mode_ != 0 && mode_ != 1) {
        // Neither button checked: nothing a unit could keep is written.
        show(mode_abnormal);
        return;
    }
    if (!write_verified<hal::CommandType::SetSafeMode, hal::CommandType::SafeMode>(mode_, std::int32_t{no_mode},
                                                                                   std::equal_to<>{}, write_failed))
        return;
    if (mode_ != read_mode_)
        service::log_changes(program_name,
                             {{service::safe_mode_what, service::safe_mode_text(read_mode_), service::safe_mode_text(mode_)}});
    end(IDOK);
}

}  // namespace mgx::settings
