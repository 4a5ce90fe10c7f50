#include "settings_app.h"
#include "message_catalogue.h"

#include <windows.h>

#include <halcore/back_end_state.h>
#include <halcore/halcore.h>

#include "lifetime_store.h"
#include "main_menu_dialog.h"
#include "ui_text.h"

namespace mgx::settings {

namespace {

using namespace messages::start_up;

}  // namespace

SettingsApp &SettingsApp::instance() {
    static SettingsApp app;
    return app;
}

void SettingsApp::start() {
    mutex_.reset(CreateMutexW(nullptr, FALSE, single_instance_mutex));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex_.reset();  // another instance runs: end at once, silently
        return;
    }
    const std::int32_t status = HCXInitImbSmbDll(&back_end_state_);
    if (status == 0 && hal::is_usable(back_end_state_)) {
        library_open_ = true;
        MainMenuDialog(back_end_state_).run();
        return;
    }
    LanguageIndex language = English;
    store::ReadLanguage(&language, GetUserDefaultLangID());
    MessageBoxW(nullptr, formatted(start_failure.text.in(language), static_cast<long>(status)).c_str(), program_title,
                start_failure.style);
}

int SettingsApp::exit() {
    if (library_open_) HCXFreeImbSmbDll();
    mutex_.reset();
    return 0;
}

}  // namespace mgx::settings
