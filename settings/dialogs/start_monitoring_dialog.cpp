#include "start_monitoring_dialog.h"
#include "message_catalogue.h"

#include <halcore/back_end_state.h>
#include <halcore/boot_monitoring.h>
#include <halcore/mgx_call.h>

#include "data_exchange.h"
#include "resource.h"
#include "setting_changes.h"

namespace mgx::settings {

namespace {

using namespace messages::start_monitoring;

constexpr UiTextRow texts[] = {
    {0, {L"起動監視機能設定", L"Start monitoring function setting"}, {L"", L""}},
    {IDC_POST_ENABLE, {L"監視する", L"Enable"}, {L"POST監視機能を有効にします", L""}},
    {IDC_POST_DISABLE, {L"監視しない", L"Disable"}, {L"POST監視機能を無効にします", L""}},
    {IDC_OS_ENABLE, {L"監視する", L"Enable"}, {L"OSブート監視機能を有効にします", L""}},
    {IDC_OS_DISABLE, {L"監視しない", L"Disable"}, {L"OSブート監視機能を無効にします", L""}},
    {IDC_RETRY_POWER_CYCLE,
     {L"電源切断後、再投入", L"After power off, restart"},
     {L"監視タイムアウトになると、システムの電源を切断後、再投入します", L""}},
    {IDC_RETRY_REBOOT,
     {L"リブート(ハードリセット)", L"Reboot(Hardware reset)"},
     {L"監視タイムアウトになると、システムをリブート（ハードリセット）します", L""}},
    {IDOK, {L"OK", L"OK"}, {L"設定を保存し、メインメニューへ戻ります", L""}},
    {IDCANCEL, {L"ｷｬﾝｾﾙ", L"CANCEL"}, {L"設定を保存しないで、メインメニューへ戻ります", L""}},
    {IDC_OS_FRAME, {L"OSブート監視", L"OS Boot Monitoring"}, {L"", L""}},
    {IDC_POST_TIMEOUT_LABEL,
     {L"タイムアウト時間(15分～999分)", L"Time out period(15min to 999min)"},
     {L"15分～999分を設定してください", L""}},
    {IDC_POST_RETRIES_LABEL, {L"リトライ回数(1回～5回)", L"Retry frequency(1 to 5)"}, {L"1回から5回を設定してください", L""}},
    {IDC_POST_MINUTES_UNIT, {L"分", L"Min"}, {L"", L""}},
    {IDC_POST_RETRIES_UNIT, {L"回", L"Time(s)"}, {L"", L""}},
    {IDC_OS_TIMEOUT_LABEL,
     {L"タイムアウト時間(15分～999分)", L"Time out period(15min to 999min)"},
     {L"15分～999分を設定してください", L""}},
    {IDC_OS_RETRIES_LABEL, {L"リトライ回数(1回～5回)", L"Retry frequency(1 to 5)"}, {L"1回から5回を設定してください", L""}},
    {IDC_OS_MINUTES_UNIT, {L"分", L"Min"}, {L"", L""}},
    {IDC_OS_RETRIES_UNIT, {L"回", L"Time(s)"}, {L"", L""}},
    {IDC_POST_FRAME, {L"POST監視", L"POST Monitoring"}, {L"", L""}},
    {IDC_POST_DESCRIPTION,
     {L"設定した時間内にPOSTが完了せずタイムアウトとなった場合、自動的にシステムの電源を切断・再投入する機能です",
      L"If POST is not complete within the set time and there is time out then this function sets the power ON/OFF of the "
      L"system automatically."},
     {L"", L""}},
    {IDC_OS_DESCRIPTION,
     {L"設定した時間内にOSブートが完了せずタイムアウトとなった場合、自動的にシステムを再起動する機能です",
      L"If OS Boot is not complete within the set time and there is time out then this function restarts the system "
      L"automatically."},
     {L"", L""}},
    {IDC_RETRY_METHOD_LABEL, {L"リトライ方法", L"Retry method"}, {L"", L""}},
};

using namespace hal::boot_monitoring;

constexpr int post_controls[] = {IDC_POST_ENABLE,        IDC_POST_TIMEOUT_LABEL, IDC_POST_TIMEOUT,     IDC_POST_MINUTES_UNIT,
                                 IDC_POST_RETRIES_LABEL, IDC_POST_RETRIES,       IDC_POST_RETRIES_UNIT};
constexpr int os_boot_controls[] = {IDC_OS_ENABLE,        IDC_OS_TIMEOUT_LABEL, IDC_OS_TIMEOUT,      IDC_OS_MINUTES_UNIT,
                                    IDC_OS_RETRIES_LABEL, IDC_OS_RETRIES,       IDC_OS_RETRIES_UNIT, IDC_RETRY_METHOD_LABEL,
                                    IDC_RETRY_REBOOT,     IDC_RETRY_POWER_CYCLE};

}  // namespace

StartMonitoringDialog::StartMonitoringDialog(HWND parent, LanguageIndex language, std::int32_t back_end_state)
    : SettingsDialog(IDD_START_MONITORING, parent, IDOK, IDCANCEL, language), back_end_state_(back_end_state) {}

bool StartMonitoringDialog::exchange(DataExchange &x) {
    return x.radio_index(IDC_RETRY_POWER_CYCLE, form_.retry_method) && x.enable_radio(IDC_OS_ENABLE, form_.os_boot_on) &&
           x.enable_radio(IDC_POST_ENABLE, form_.post_on) &&
           x.number(IDC_POST_TIMEOUT, form_.post_minutes, minimum_minutes, maximum_minutes) &&
           x.number(IDC_OS_TIMEOUT, form_.os_boot_minutes, minimum_minutes, maximum_minutes) &&
           x.number(IDC_POST_RETRIES, form_.post_retries, minimum_retries, maximum_retries) &&
           x.number(IDC_OS_RETRIES, form_.os_boot_retries, minimum_retries, maximum_retries);
}

// The unit's settings from what the dialog read: a value the unit holds that the dialog cannot
// show is reported and the form's default kept.
void StartMonitoringDialog::interpret(const hal::BootMonitorSettings &read) {
    if (usable_retry_method(read.retry_method))
        form_.retry_method = read.retry_method;
    else
        show(bad_retry_method);
    const auto take_minutes = [this](std::uint16_t seconds, std::uint16_t kept, const UiMessageBox &bad) -> std::uint16_t {
        if (usable_timeout(seconds)) return seconds / seconds_per_minute;
        show(bad);
        return kept;
    };
    form_.post_minutes = take_minutes(read.post_timeout, form_.post_minutes, bad_post_time);
    form_.os_boot_minutes = take_minutes(read.os_boot_timeout, form_.os_boot_minutes, bad_os_boot_time);
    if (usable_retries(read.post_retries))
        form_.post_retries = read.post_retries;
    else
        show(bad_post_retries);
    if (usable_retries(read.os_boot_retries))
        form_.os_boot_retries = read.os_boot_retries;
    else
        show(bad_os_boot_retries);

    if (unit_can_watch_os_boot()) {
        form_.os_boot_on = form_.os_boot_minutes != 0;
    } else {
        show(no_os_boot_monitoring);
        form_.os_boot_on = false;
        for (int id : os_boot_controls) EnableWindow(GetDlgItem(window(), id), FALSE);
    }
    form_.post_on = form_.post_minutes != 0;
    // A function switched off shows the default time-out in its field.
    if (!form_.os_boot_on) form_.os_boot_minutes = os_boot_default_minutes;
    if (!form_.post_on) form_.post_minutes = post_default_minutes;
}

// What OK writes: the time-outs in seconds, 0 for a function switched off, and both selectors
// set, as the unit takes a complete setting.
hal::BootMonitorSettings StartMonitoringDialog::to_unit(const Form &form) {
    const auto seconds = [](bool on, std::uint16_t minutes) {
        return on ? static_cast<std::uint16_t>(minutes * seconds_per_minute) : off;
    };
    return {1,
            1,
            seconds(form.post_on, form.post_minutes),
            form.post_retries,
            seconds(form.os_boot_on, form.os_boot_minutes),
            form.os_boot_retries,
            form.retry_method};
}

void StartMonitoringDialog::on_init() {
    hal::BootMonitorSettings read{};
    const std::int32_t status = hal::mgx_call<hal::CommandType::BootMonitoring>(read);
    read_ = read;  // what the unit held, for the change log
    if (!post_may_be_switched_on(back_end_state_)) {
        for (int id : post_controls) EnableWindow(GetDlgItem(window(), id), FALSE);
        read.post_timeout = 0;  // POST monitoring shows as off and cannot be switched on
    }
    if (status != 0) {
        show(read_error, static_cast<long>(status));
        end(IDOK);
    } else {
        interpret(read);
    }
    apply_texts(texts);
    show_all();
}

bool StartMonitoringDialog::cautioned() { return show(caution) == IDOK; }

void StartMonitoringDialog::select(int checked, int unchecked, bool focus_checked) {
    CheckDlgButton(window(), unchecked, BST_UNCHECKED);
    CheckDlgButton(window(), checked, BST_CHECKED);
    if (focus_checked) SetFocus(GetDlgItem(window(), checked));
}

bool StartMonitoringDialog::on_command(int id, int code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_POST_ENABLE:
        SetFocus(GetDlgItem(window(), IDC_POST_DISABLE));
        if (cautioned()) select(IDC_POST_ENABLE, IDC_POST_DISABLE, true);
        return true;
    case IDC_POST_DISABLE: select(IDC_POST_DISABLE, IDC_POST_ENABLE, false); return true;
    case IDC_OS_ENABLE: {
        const bool supported = unit_can_watch_os_boot();
        SetFocus(GetDlgItem(window(), IDC_OS_DISABLE));
        if (!supported) {
            show(no_os_boot_monitoring);
            return true;
        }
        if (cautioned()) select(IDC_OS_ENABLE, IDC_OS_DISABLE, true);
        return true;
    }
    case IDC_OS_DISABLE: select(IDC_OS_DISABLE, IDC_OS_ENABLE, false); return true;
    default: return false;
    }
}

void StartMonitoringDialog::on_ok() {
    if (!take_all()) return;
    const hal::BootMonitorSettings written = to_unit(form_);
    if (!write_verified<hal::CommandType::SetBootMonitoring, hal::CommandType::BootMonitoring>(
            written, hal::BootMonitorSettings{}, same_settings, write_error))
        return;
    service::log_changes(program_name, service::changed_only(service::boot_monitoring_changes(read_, written)));
    end(IDOK);
}

}  // namespace mgx::settings
