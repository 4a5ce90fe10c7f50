#include "main_menu_dialog.h"
#include "message_catalogue.h"

#include <halcore/mgx_call.h>

#include "about_dialog.h"
#include "change_log.h"
#include "component_lifetime_dialog.h"
#include "data_initialisation.h"
#include "lifetime_store.h"
#include "notify_method_dialog.h"
#include "power_off_mode_dialog.h"
#include "resource.h"
#include "start_monitoring_dialog.h"

namespace mgx::settings {

namespace {

using namespace messages::main_menu;

constexpr UiTextRow texts[] = {
    {0, {L"メインメニュー", L"Main menu"}, {L"", L""}},
    {IDC_MAIN_COMPONENT_LIFETIME,
     {L"部品寿命情報 参照・設定", L"Component lifetime information Browse/Setting"},
     {L"部品寿命情報 参照・設定画面を開きます", L""}},
    {IDC_MAIN_START_MONITORING,
     {L"起動監視機能設定", L"Start monitoring function setting"},
     {L"起動監視機能設定画面を開きます", L""}},
    {IDC_MAIN_POWER_OFF_MODE, {L"電源切断モード設定", L"Power off mode setting"}, {L"電源切断モード設定画面を開きます", L""}},
    {IDC_MAIN_MEMORY_ERROR_CLEAR,
     {L"メモリエラー情報クリア", L"Memory error information clear"},
     {L"メモリエラー情報クリア確認画面を開きます", L""}},
    {IDOK, {L"終了", L"End /Exit"}, {L"終了します", L""}},
    {IDC_MAIN_NOTIFY_METHOD,
     {L"障害の通知方法設定", L"Error notification method setting"},
     {L"障害の通知方法設定画面を開きます", L""}},
    {IDC_MAIN_RUNNING_HOURS, {L"サーバ稼働時間＝ %lu 時間", L"Server Running= %lu Hour(s)"}, {L"", L""}},
};

constexpr UiMessage version_menu_item = {L"ﾊﾞｰｼﾞｮﾝ情報(GK7T30UI) (&A)...", L"Version Information(GK7T30UI) (&A)..."};

}  // namespace

MainMenuDialog::MainMenuDialog(std::int32_t back_end_state)
    : SettingsDialog(IDD_MAIN_MENU, nullptr, 0, 0, Japanese),
      back_end_state_(back_end_state),
      icon_(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_PROGRAM_ICON), IMAGE_ICON, 0, 0,
                                          LR_DEFAULTSIZE | LR_SHARED))) {}

void MainMenuDialog::on_init() {
    LanguageIndex language = English;
    store::ReadLanguage(&language, GetUserDefaultLangID());
    set_language(language);
    running_hours_ = 0;
    if (HMENU system_menu = GetSystemMenu(window(), FALSE)) {
        const wchar_t *item = version_menu_item.in(language);
        if (*item) {
            AppendMenuW(system_menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(system_menu, MF_STRING, about_command, item);
        }
    }
    HICON small_icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_PROGRAM_ICON), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));
    apply_texts(texts, IDC_MAIN_RUNNING_HOURS, static_cast<long>(running_hours_));
    refresh_running_hours();
    SetTimer(window(), running_hours_timer, running_hours_period_ms, nullptr);
}

void MainMenuDialog::refresh_running_hours() {
    std::uint32_t hours = 0;
    if (hal::mgx_call<hal::CommandType::RunningHours>(hours) == 0) running_hours_ = hours;
    apply_ui_text(IDC_MAIN_RUNNING_HOURS, texts, static_cast<long>(running_hours_));
}

void MainMenuDialog::close(INT_PTR result) {
    KillTimer(window(), running_hours_timer);
    end(result);
}

void MainMenuDialog::on_ok() { close(IDOK); }

void MainMenuDialog::on_cancel() { close(IDCANCEL); }

void MainMenuDialog::hidden_function() { InitialiseAllData(window(), language()); }

void MainMenuDialog::clear_memory_errors() {
    if (show(memory_clear_question) != IDYES) return;
    hal::MgxMemoryMaintenance answer{};
    const std::int32_t status =
        hal::mgx_call<hal::CommandType::SetMemoryMaintenance>(hal::MgxMemoryMaintenance::errors_cleared(), answer);
    if (status != 0) {
        show(memory_clear_failed, static_cast<long>(status));
        return;
    }
    service::log_changes(program_name, {service::memory_errors_cleared});
}

bool MainMenuDialog::on_command(int id, int code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_MAIN_COMPONENT_LIFETIME: ComponentLifetimeDialog(window(), language()).run(); return true;
    case IDC_MAIN_START_MONITORING: StartMonitoringDialog(window(), language(), back_end_state_).run(); return true;
    case IDC_MAIN_POWER_OFF_MODE: PowerOffModeDialog(window(), language()).run(); return true;
    case IDC_MAIN_NOTIFY_METHOD: NotifyMethodDialog(window(), language()).run(); return true;
    case IDC_MAIN_MEMORY_ERROR_CLEAR: clear_memory_errors(); return true;
    default: return false;
    }
}

void MainMenuDialog::paint_minimised_icon() {
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window(), &paint);
    SendMessageW(window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    RECT client;
    GetClientRect(window(), &client);
    const int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    DrawIcon(context, (client.right - client.left - width + 1) / 2, (client.bottom - client.top - height + 1) / 2, icon_);
    EndPaint(window(), &paint);
}

bool MainMenuDialog::on_message(UINT message, WPARAM w, LPARAM, INT_PTR &result) {
    switch (message) {
    case WM_TIMER:
        if (w != running_hours_timer) return false;
        refresh_running_hours();
        return true;
    case WM_SYSCOMMAND:
        if ((w & 0xFFF0) != about_command) return false;
        AboutDialog(window(), language()).run();
        return true;
    case WM_PAINT:
        if (!IsIconic(window())) return false;
        paint_minimised_icon();
        return true;
    case WM_QUERYDRAGICON: result = reinterpret_cast<INT_PTR>(icon_); return true;
    default: return false;
    }
}

}  // namespace mgx::settings
