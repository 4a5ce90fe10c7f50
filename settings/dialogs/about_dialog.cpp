#include "about_dialog.h"

#include "resource.h"

namespace mgx::settings {

namespace {

constexpr UiTextRow texts[] = {{0, {L"ﾊﾞｰｼﾞｮﾝ情報 GK7T30UI", L"Version Information GK7T30UI"}, {L"", L""}}};

}  // namespace

AboutDialog::AboutDialog(HWND parent, LanguageIndex language) : SettingsDialog(IDD_ABOUT, parent, IDOK, IDCANCEL, language) {}

void AboutDialog::on_init() { apply_title(texts); }

}  // namespace mgx::settings
