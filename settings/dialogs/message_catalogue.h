// Every message box of the settings program with the program title as its caption: its texts
// in both languages and its buttons, icon and default button, by the dialog that shows it.
#pragma once

#include <windows.h>

#include "ui_text.h"

namespace mgx::settings::messages {

// Laid out as a table, one message box to a few lines.
// clang-format off

namespace start_up {
inline constexpr UiMessageBox start_failure = {{L"ＭＧＸが存在しないかドライバエラーです。\nエラーコード [%ld]",
                                     L"MGX not exist or MGX driver error.\nError code [%ld]"},
    MB_OK};
// The machine-wide single-instance guard cannot be had (5: the program was not run as administrator).
inline constexpr UiMessageBox guard_refused = {{L"設定プログラムの多重起動防止オブジェクトを使用できません。\n管理者として実行してください。\nエラーコード [%ld]",
                                     L"The settings program cannot use its single-instance guard.\nRun it as administrator.\nError code [%ld]"},
    MB_OK | MB_ICONSTOP};
}  // namespace start_up

namespace main_menu {
inline constexpr UiMessageBox memory_clear_question = {{L"故障メモリの交換が完了しましたか？\n\n「はい」を選ぶと監視ソフトウェアにメモリが交換された事を通知し、交換前の故障メモリで発生したエラー情報を消去します",
    L"Is the replacement of faulty memory complete?\n\nPress \"Yes\" to notify the monitoring software\n that the memory has been "
    L"replaced and to delete the error information\n which occurred in faulty memory before the replacement"},
    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2};
inline constexpr UiMessageBox memory_clear_failed = {{L"ＭＧＸの書込みに失敗しました。\nエラーコード [%ld]", L"MGX write failed.\nError code [%ld]"},
    MB_OK | MB_ICONSTOP};
}  // namespace main_menu

namespace notify_method {
inline constexpr UiMessageBox no_lcd = {{L"ＬＣＤが搭載されていません。\n初期値にセットします。", L"LCD does not exist.\nSet default value."},
    MB_OK | MB_ICONEXCLAMATION};
inline constexpr UiMessageBox registration_failed = {{L"障害の通知方法登録に失敗しました。\nエラーコード(%lu)",
                                           L"Registration of error notification method failed.\nError code(%lu)"},
    MB_OK | MB_ICONSTOP};
}  // namespace notify_method

namespace data_initialisation {
inline constexpr UiMessageBox question = {{L"すべての登録データを初期化しますか？", L"Dou you want to Initialize all of data?"},
    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2};
inline constexpr UiMessageBox service_running = {{L"GK7T30サービスが稼働中には登録データの初期化はできません。",
                                       L"GK7T30-Service is running. so can not initialize data."},
    MB_OK | MB_ICONSTOP};
}  // namespace data_initialisation

namespace start_monitoring {
inline constexpr UiMessageBox bad_retry_method = {{L"リトライ方法が不正です。\n初期値にセットします。", L"Retry method is abnormal.\nSet initial value."},
    MB_OK | MB_ICONEXCLAMATION};
inline constexpr UiMessageBox bad_post_time = {{L"ＰＯＳＴ監視時間が不正です。\n初期値にセットします。",
                                     L"POST monitoring time is abnormal.\nSet initial value."},
    MB_OK | MB_ICONEXCLAMATION};
inline constexpr UiMessageBox bad_os_boot_time = {{L"ＯＳブート監視時間が不正です。\n初期値にセットします。",
                                        L"OS boot monitoring time is abnormal.\nSet initial value."},
    MB_OK | MB_ICONEXCLAMATION};
inline constexpr UiMessageBox bad_post_retries = {{L"ＰＯＳＴリトライ回数が不正です。\n初期値にセットします。",
                                        L"POST retry frequency is abnormal.\nSet initial value."},
    MB_OK | MB_ICONEXCLAMATION};
inline constexpr UiMessageBox bad_os_boot_retries = {{L"ＯＳブートリトライ回数が不正です。\n初期値にセットします。",
                                           L"OS boot retry frequency is abnormal.\nSet initial value."},
    MB_OK | MB_ICONEXCLAMATION};
inline constexpr UiMessageBox read_error = {{L"ＭＧＸの読込みに失敗しました。\nエラーコード [%ld]", L"MGX Read Error.\nError code [%ld]"},
    MB_OK | MB_ICONSTOP};
inline constexpr UiMessageBox write_error = {{L"ＭＧＸの書込みに失敗しました。\nエラーコード [%ld]", L"MGX Write Error.\nError code [%ld]"},
    MB_OK | MB_ICONSTOP};
inline constexpr UiMessageBox no_os_boot_monitoring = {{L"ハードウェアに管理者モード設定機能が無いためＯＳブート監視設定はできません。",
    L"You can not enable OS boot monitoring,because this hardware not support for changing Administer mode."},
    MB_OK | MB_ICONEXCLAMATION};
inline constexpr UiMessageBox caution = {{L"本機能を有効にすると、何らかの原因でサーバの起動時に停止してしまった場合に自動的に再起動を試みます。なお、本来の目的である偶発的な停止"
    L"以外のBIOSセットアップユーティリティや SCSI "
    L"Selectユーティリティの実行などにより、サーバの起動を中断している場合にも本機能は有効になっており、本機能で設定した時間が経過すると自動"
    L"的に再起動を行います。\n\n本機能の設定時にはサーバ本体の取扱説明書をご覧になり本機能の仕様と運用方法を十分ご理解のうえ正しく設定して"
    L"ご利用されるようお願いいたします。",
    L"Caution:\nWhen this function is enabled, it tries to reboot the server automatically\nin case that the server is halted by "
    L"some reasons.\nThough this function is for accidental halt of the server, it is\nalso enabled while boot procedure of the "
    L"server is intentionally suspended \nby executing BIOS setup utility or SCSI select utility. Therefore, even in this \ncase, "
    L"this function tries to reboot the server after the preset time.\n\nBefore enabling this function, please read Server User "
    L"Guide carefully to\nunderstand the specification and usage of this function and make sure\nthat this function is "
    L"configured correctly."},
    MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2};
}  // namespace start_monitoring

namespace component_lifetime {
inline constexpr UiMessageBox confirm = {{L"搭載日または稼動時間が変更されています。\n\n変更を保存してよろしいですか？",
                               L"Set up date or running is changed.\n\n Do you want to update data?"},
    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2};
inline constexpr UiMessageBox over_limit = {{L"寿命を越えている部品があります。", L"There is over limit parts."},
    MB_OK | MB_ICONINFORMATION};
inline constexpr UiMessageBox write_failed = {{L"データの更新に失敗しました。\nエラーコード [%ld]", L"MGX Write Error.\nError code [%ld]"},
    MB_OK | MB_ICONSTOP};
}  // namespace component_lifetime

namespace power_off_mode {
inline constexpr UiMessageBox read_failed = {{L"ＭＧＸの読込みに失敗しました。\nエラーコード [%ld]", L"MGX read failed.\nError code [%ld]"},
    MB_OK | MB_ICONSTOP};
inline constexpr UiMessageBox write_failed = {{L"ＭＧＸの書込みに失敗しました。\nエラーコード [%ld]", L"MGX write failed.\nError code [%ld]"},
    MB_OK | MB_ICONSTOP};
inline constexpr UiMessageBox mode_abnormal = {{L"電源切断モードが不正です。\n電源切断モードを指定してください。",
                                     L"Power OFF mode is abnormal.\nSpecify Power disconnect/OFF mode."},
    MB_OK | MB_ICONEXCLAMATION};
}  // namespace power_off_mode

// clang-format on

}  // namespace mgx::settings::messages
