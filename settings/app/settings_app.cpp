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

// A box of the start-up, before any window, in the language the registry or the user chose.
void show_start_message(const UiMessageBox &box, long code) {
    LanguageIndex language = English;
    store::ReadLanguage(&language, GetUserDefaultLangID());
    MessageBoxW(nullptr, formatted(box.text.in(language), code).c_str(), program_title, box.style);
}

}  // namespace

SettingsApp &SettingsApp::instance() {
    static SettingsApp app;
    return app;
}

void SettingsApp::start() {
    mutex_ = std::make_unique<win32::MachineWideMutex>(single_instance_mutex);
    if (mutex_->error()) {
        show_start_message(guard_refused, static_cast<long>(mutex_->error()));
        mutex_.reset();
        return;
    }
    if (mutex_->existed()) {
        mutex_.reset();  // another instance runs: end at once, silently
        return;
    }
    const std::int32_t status = HCXInitImbSmbDll(&back_end_state_);
    if (status == 0 && hal::is_usable(back_end_state_)) {
        library_open_ = true;
        MainMenuDialog(back_end_state_).run();
        return;
    }
    show_start_message(start_failure, static_cast<long>(status));
}

int SettingsApp::exit() {
    if (library_open_) HCXFreeImbSmbDll();
    mutex_.reset();
    return 0;
}

}  // namespace mgx::settings
