#include "data_initialisation.h"
#include "message_catalogue.h"

#include <string>

#include "registry_defaults.h"
#include "service_pipe.h"
#include "win32/program_directory.h"

namespace mgx::settings {

namespace {

using namespace messages::data_initialisation;

constexpr DWORD block_size = 128;

// True when the service took the "02" request and replied.
bool service_answers() {
    char request[block_size] = "02";
    char reply[block_size] = {};
    return call_monitoring_service(command_pipe, request, block_size, reply, block_size);
}

}  // namespace

void InitialiseAllData(HWND owner, LanguageIndex language) {
    const std::string directory = win32::program_directory();
    if (MessageBoxW(owner, question.text.in(language), program_title, question.style) != IDYES) return;
    if (service_answers()) {
        MessageBoxW(owner, service_running.text.in(language), program_title, service_running.style);
        return;
    }
    MessageBeep(0);
    store::WriteRegistryDefaults(store::defaults_for(store::Writer::SettingsProgram, directory));
}

}  // namespace mgx::settings
