#include "component_lifetime_dialog.h"
#include "message_catalogue.h"

#include <halcore/mgx_call.h>

#include <cstring>

#include "data_exchange.h"
#include "lifetime_changes.h"
#include "resource.h"
#include "value_checks.h"
#include "wear_parts.h"

namespace mgx::settings {

namespace {

using namespace messages::component_lifetime;

// Install date field and next change field of date row 0 to 16 (RAID cards 1 to 16, then UPS).
// The template numbers the fields of RAID cards 1 to 13 in a row from card 1's; 14 to 16 and the
// UPS have numbers of their own.
constexpr int date_ids[] = {IDC_RAID01_DATE,      IDC_RAID01_DATE + 1, IDC_RAID01_DATE + 2,  IDC_RAID01_DATE + 3,
                            IDC_RAID01_DATE + 4,  IDC_RAID01_DATE + 5, IDC_RAID01_DATE + 6,  IDC_RAID01_DATE + 7,
                            IDC_RAID01_DATE + 8,  IDC_RAID01_DATE + 9, IDC_RAID01_DATE + 10, IDC_RAID01_DATE + 11,
                            IDC_RAID01_DATE + 12, IDC_RAID14_DATE,     IDC_RAID15_DATE,      IDC_RAID16_DATE,
                            IDC_UPS_DATE};
constexpr int next_change_ids[] = {IDC_RAID01_NEXT,      IDC_RAID01_NEXT + 1, IDC_RAID01_NEXT + 2,  IDC_RAID01_NEXT + 3,
                                   IDC_RAID01_NEXT + 4,  IDC_RAID01_NEXT + 5, IDC_RAID01_NEXT + 6,  IDC_RAID01_NEXT + 7,
                                   IDC_RAID01_NEXT + 8,  IDC_RAID01_NEXT + 9, IDC_RAID01_NEXT + 10, IDC_RAID01_NEXT + 11,
                                   IDC_RAID01_NEXT + 12, IDC_RAID14_NEXT,     IDC_RAID15_NEXT,      IDC_RAID16_NEXT,
                                   IDC_UPS_NEXT};
// Running hours field and life time field by counter: CPU fan, power supply, chassis fan.
constexpr int hours_ids[] = {IDC_CPU_FAN_HOURS, IDC_PSU_HOURS, IDC_HOUSING_FAN_HOURS};
constexpr int life_time_ids[] = {IDC_CPU_FAN_LIFE, IDC_PSU_LIFE, IDC_HOUSING_FAN_LIFE};

constexpr UiTextRow texts[] = {
    {0, {L"部品寿命情報 参照・設定", L"Component life time information Browse/Setting"}, {L"", L""}},
    {IDC_DATES_COMPONENT, {L"寿命部品名", L"Component"}, {L"", L""}},
    {IDC_HOURS_COMPONENT, {L"寿命部品名", L"Component"}, {L"", L""}},
    {IDC_DATES_INSTALL_DATE, {L"搭載日", L"Install date"}, {L"", L""}},
    {IDC_DATES_FRAME, {L"搭載日", L"Install date"}, {L"", L""}},
    {IDC_HOURS_RUNNING, {L"稼動時間", L"Running"}, {L"", L""}},
    {IDC_HOURS_FRAME, {L"稼動時間", L"Running"}, {L"", L""}},
    {IDC_DATES_NEXT_CHANGE, {L"交換予定日", L"Next change"}, {L"", L""}},
    {IDC_HOURS_LIFE_TIME, {L"寿命時間", L"Life time"}, {L"", L""}},
    {IDC_RAID01_LABEL, {L"電池(RAID Card#01)", L"Battery(RAID Card#01)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 1, {L"電池(RAID Card#02)", L"Battery(RAID Card#02)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 2, {L"電池(RAID Card#03)", L"Battery(RAID Card#03)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 3, {L"電池(RAID Card#04)", L"Battery(RAID Card#04)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 4, {L"電池(RAID Card#05)", L"Battery(RAID Card#05)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 5, {L"電池(RAID Card#06)", L"Battery(RAID Card#06)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 6, {L"電池(RAID Card#07)", L"Battery(RAID Card#07)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 7, {L"電池(RAID Card#08)", L"Battery(RAID Card#08)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 8, {L"電池(RAID Card#09)", L"Battery(RAID Card#09)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 9, {L"電池(RAID Card#10)", L"Battery(RAID Card#10)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 10, {L"電池(RAID Card#11)", L"Battery(RAID Card#11)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 11, {L"電池(RAID Card#12)", L"Battery(RAID Card#12)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 12, {L"電池(RAID Card#13)", L"Battery(RAID Card#13)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 13, {L"電池(RAID Card#14)", L"Battery(RAID Card#14)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 14, {L"電池(RAID Card#15)", L"Battery(RAID Card#15)"}, {L"", L""}},
    {IDC_RAID01_LABEL + 15, {L"電池(RAID Card#16)", L"Battery(RAID Card#16)"}, {L"", L""}},
    {IDC_UPS_LABEL, {L"UPS(バッテリ)", L"UPS(BBU)"}, {L"", L""}},
    {IDC_CPU_FAN_LABEL, {L"CPU FAN", L"CPU FAN"}, {L"", L""}},
    {IDC_HOUSING_FAN_LABEL, {L"筐体FAN", L"Housing FAN"}, {L"", L""}},
    {IDC_PSU_LABEL, {L"電源ユニット", L"PSU"}, {L"", L""}},
    {IDOK, {L"OK", L"OK"}, {L"設定を保存し、メインメニューへ戻ります", L""}},
    {IDCANCEL, {L"ｷｬﾝｾﾙ", L"CANCEL"}, {L"設定を保存しないで、メインメニューへ戻ります", L""}},
    {IDC_SET_TODAY,
     {L"搭載日を今日にする", L"Set today to install date"},
     {L"選択されている項目の搭載日を今日の日付にします", L""}},
    {IDC_SET_ZERO, {L"稼動時間を0にする", L"Set 0 to running"}, {L"選択されている項目の稼働時間を0時間にします", L""}},
    {IDC_LIFETIME_RUNNING_HOURS, {L"サーバ稼働時間＝ %lu 時間", L"Server Running= %lu Hour(s)"}, {L"", L""}},
};

constexpr UiMessage date_hint = {L"搭載日は\n「搭載日を今日にする」ボタンまたはキーボードからの入力で変更できます",
                                 L"Change Setup date by the[Set today to install date] button or the key board"};
constexpr UiMessage hours_hint = {L"稼働時間は\n「稼動時間を0にする」ボタンまたはキーボードからの入力で変更できます",
                                  L"Change running by the[Set 0 to running] button or the key board"};

std::wstring widened(const char *text, std::size_t capacity) {
    const int length = static_cast<int>(strnlen(text, capacity));
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), length)));
    return wide;
}

// A field's text as the 16-byte date of the record: at most 15 bytes, then zeros.
void narrowed_date(const std::wstring &text, char (&field)[store::date_size]) {
    std::memset(field, 0, sizeof field);
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), field, sizeof field - 1, nullptr, nullptr);
}

}  // namespace

ComponentLifetimeDialog::ComponentLifetimeDialog(HWND parent, LanguageIndex language)
    : SettingsDialog(IDD_COMPONENT_LIFETIME, parent, IDOK, IDCANCEL, language) {}

bool ComponentLifetimeDialog::is_date_field(HWND window) const {
    for (const InstallDateEdit &field : date_fields_)
        if (window && field.window() == window) return true;
    return false;
}

bool ComponentLifetimeDialog::is_hours_field(HWND window) const {
    for (const RunningHoursEdit &field : hours_fields_)
        if (window && field.window() == window) return true;
    return false;
}

ColorEdit *ComponentLifetimeDialog::field_of(HWND window) {
    for (InstallDateEdit &field : date_fields_)
        if (field.window() == window) return &field;
    for (RunningHoursEdit &field : hours_fields_)
        if (field.window() == window) return &field;
    return nullptr;
}

void ComponentLifetimeDialog::on_init() {
    std::uint32_t hours = 0;
    if (hal::mgx_call<hal::CommandType::RunningHours>(hours) == 0) server_running_hours_ = hours;
    apply_texts(texts, IDC_LIFETIME_RUNNING_HOURS, static_cast<long>(server_running_hours_));

    store::ReadLifetimeRecord(record_);
    for (int counter = 0; counter < 3; ++counter) {
        const store::WearPart &part = store::running_hours_part(counter);
        const std::int32_t life_time = record_.life_times[part.life_time_slot];
        SetDlgItemTextW(window(), life_time_ids[counter], std::to_wstring(life_time).c_str());
        hours_fields_[counter].set_limit(life_time);
        SetDlgItemTextW(window(), hours_ids[counter], std::to_wstring(record_.running_hours[counter]).c_str());
    }
    for (int row = 0; row <= store::raid_card_count; ++row) {
        const store::WearPart &part = store::install_date_part(row + 1);
        date_fields_[row].set_life_hours(record_.life_times[part.life_time_slot]);
        date_fields_[row].set_next_change_id(next_change_ids[row]);
        SetDlgItemTextW(window(), date_ids[row], widened(record_.install_dates[row], store::date_size).c_str());
    }

    DWORD raid_count = 0;
    store::ReadRaidCount(&raid_count);
    for (int row = 0; row <= store::raid_card_count; ++row) {
        InstallDateEdit &field = date_fields_[row];
        field.attach(*this, date_ids[row]);
        const bool ups = row == store::raid_card_count;
        EnableWindow(field.window(), ups || row < static_cast<std::int32_t>(raid_count));
        field.set_loaded_text(widened(record_.install_dates[row], store::date_size));
        field.refresh(false);
    }
    for (int counter = 0; counter < 3; ++counter) {
        RunningHoursEdit &field = hours_fields_[counter];
        field.attach(*this, hours_ids[counter]);
        field.set_loaded_text(std::to_wstring(record_.running_hours[counter]));
        field.focus_lost(nullptr);
        EnableWindow(field.window(), TRUE);
    }
    set_zero_button_.attach(GetDlgItem(window(), IDC_SET_ZERO));
    baseline_ = record_;
}

bool ComponentLifetimeDialog::exchange(DataExchange &x) {
    for (int counter = 0; counter < 3; ++counter)
        if (!x.number(hours_ids[counter], record_.running_hours[counter], 0, 99999)) return false;
    for (int row = 0; row <= store::raid_card_count; ++row)
        if (!x.date(date_ids[row], record_.install_dates[row])) return false;
    return true;
}

void ComponentLifetimeDialog::on_ok() {
    if (!take_all()) return;
    bool any_over_limit = false;
    for (const RunningHoursEdit &field : hours_fields_) any_over_limit |= field.alert();
    for (int row = 0; row <= store::raid_card_count; ++row) {
        narrowed_date(date_fields_[row].text(), record_.install_dates[row]);
        any_over_limit |= date_fields_[row].alert();
    }
    const service::LifetimeChanges changes = service::changes_between(baseline_, record_);
    if (!changes.any()) {
        end(IDOK);
        return;
    }
    if (show(confirm) != IDYES) return;
    if (any_over_limit) show(over_limit);
    const service::SaveResult saved = service::save_lifetime_changes(record_, changes);
    // Written also when only the service was not told.
    if (saved.outcome != service::SaveOutcome::WriteFailed)
        service::log_changes(program_name, service::logged_changes(baseline_, record_, changes));
    if (saved.outcome != service::SaveOutcome::Saved) {
        show(write_failed, static_cast<long>(saved.status));  // 0 when only the service was not told
        return;
    }
    end(IDOK);
}

void ComponentLifetimeDialog::show_hint(WPARAM button, LPARAM shown) {
    const wchar_t *hint = L"";
    if (button == set_today_button && shown == 1) hint = date_hint.in(language());
    if (button == set_zero_button && shown == 1) hint = hours_hint.in(language());
    wchar_t current[512] = {};
    GetDlgItemTextW(window(), IDC_LIFETIME_HINT, current, 512);
    if (std::wstring(current) != hint) SetDlgItemTextW(window(), IDC_LIFETIME_HINT, hint);
}

void ComponentLifetimeDialog::set_today() {
    if (!current_field_) return;
    const std::string today = format_date(local_now());
    SetWindowTextW(current_field_->window(), std::wstring(today.begin(), today.end()).c_str());
    SetFocus(current_field_->window());
    SendMessageW(window(), WM_NEXTDLGCTL, 0, FALSE);
}

void ComponentLifetimeDialog::set_zero() {
    if (!current_field_) return;
    ColorEdit *field = current_field_;
    SetWindowTextW(field->window(), L"0");
    SetFocus(field->window());
    if (field->id() == IDC_PSU_HOURS) {
        SendMessageW(window(), WM_SHOWEDITBUTTON, set_zero_button, 0);
        ShowWindow(GetDlgItem(window(), IDC_SET_ZERO), SW_HIDE);
    }
    SendMessageW(window(), WM_NEXTDLGCTL, 0, FALSE);
}

bool ComponentLifetimeDialog::on_command(int id, int code) {
    if (code != BN_CLICKED) return false;
    if (id == IDC_SET_TODAY)
        set_today();
    else if (id == IDC_SET_ZERO)
        set_zero();
    else
        return false;
    return true;
}

bool ComponentLifetimeDialog::on_message(UINT message, WPARAM w, LPARAM l, INT_PTR &result) {
    switch (message) {
    case WM_SHOWEDITBUTTON:
        show_hint(w, l);
        result = 1;
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        // The fields answer the colour request themselves.
        ColorEdit *field = field_of(reinterpret_cast<HWND>(l));
        HBRUSH brush = field ? field->colour_request(reinterpret_cast<HDC>(w)) : nullptr;
        if (!brush) return false;
        result = reinterpret_cast<INT_PTR>(brush);
        return true;
    }
    default: return false;
    }
}

}  // namespace mgx::settings
