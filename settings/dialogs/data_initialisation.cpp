#include "data_initialisation.h"

#include <string>

#include "registry_defaults.h"
#include "win32/program_directory.h"

namespace mgx::settings {

namespace {

constexpr UiMessage question = {L"すべての登録データを初期化しますか？", L"Dou you want to Initialize all of data?"};
constexpr UiMessage service_running = {L"GK7T30サービスが稼働中には登録データの初期化はできません。",
                                       L"GK7T30-Service is running. so can not initialize data."};

constexpr DWORD block_size = 128;

// True when the service took the "02" request and replied.
bool service_answers() {
    char request[block_size] = "02";
    char reply[block_size] = {};
    DWORD read = 0;
    return CallNamedPipeA(command_pipe, request, block_size, reply, block_size, &read, NMPWAIT_WAIT_FOREVER) != FALSE;
}

}  // namespace

void InitialiseAllData(HWND owner, LanguageIndex language) {
    const std::string directory = win32::program_directory();
    if (MessageBoxW(owner, question.in(language), program_title, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
    if (service_answers()) {
        MessageBoxW(owner, service_running.in(language), program_title, MB_OK | MB_ICONSTOP);
        return;
    }
    MessageBeep(0);
    store::WriteRegistryDefaults(store::defaults_for(store::Writer::SettingsProgram, directory));
}

}  // namespace mgx::settings
