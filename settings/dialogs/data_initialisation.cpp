#include "data_initialisation.h"
#include "message_catalogue.h"

#include <string>

#include "change_log.h"
#include "product_key_reset.h"
#include "settings_dialog.h"
#include "win32/program_directory.h"

namespace mgx::settings {

using namespace messages::data_initialisation;

void InitialiseAllData(HWND owner, LanguageIndex language) {
    const std::string directory = win32::program_directory();
    const service::ResetResult result = service::reset_product_key(
        store::defaults_for(store::Writer::SettingsProgram, directory),
        [&] { return MessageBoxW(owner, question.text.in(language), program_title, question.style) == IDYES; },
        [] { MessageBeep(0); });
    if (result.outcome == service::ResetOutcome::ServiceRunning)
        MessageBoxW(owner, service_running.text.in(language), program_title, service_running.style);
    if (result.outcome == service::ResetOutcome::Written && result.status == ERROR_SUCCESS)
        service::log_changes(program_name, {service::product_key_initialised});
}

}  // namespace mgx::settings
