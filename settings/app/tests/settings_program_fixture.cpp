#include "settings_program_fixture.h"

#include "programs.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::settings::testing {

void set_language(DWORD language) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\GK7T30", "Language", REG_DWORD, &language, sizeof language);
}

std::vector<json> unit_requests() {
    std::vector<json> requests;
    const json log = control_request(mgx::testbed::control::log);
    for (const json &entry : log[control_key::entries])
        if (entry.contains(control_key::request)) requests.push_back(entry[control_key::request]);
    return requests;
}

std::size_t count_requests(int command) { return sent_data(command).size(); }

std::vector<std::string> sent_data(int command) {
    std::vector<std::string> data;
    for (const json &request : unit_requests())
        if (request[control_key::netfn] == 0x3A && request[control_key::command] == command)
            data.push_back(request[control_key::data]);
    return data;
}

SettingsProgram::SettingsProgram() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + (install / "GK7T30UI.EXE").wstring() + L"\"";
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, install.wstring().c_str(), &startup,
                       &info)) {
        process_.reset(info.hProcess);
        CloseHandle(info.hThread);
        id_ = info.dwProcessId;
    }
}

SettingsProgram::~SettingsProgram() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

int SettingsProgram::ended(DWORD limit_ms) const {
    if (WaitForSingleObject(process_.get(), limit_ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<int>(code);
}

void SettingsProgramTest::SetUpTestSuite() {
    std::filesystem::create_directories(install);
    for (const char *file : {"GK7T30UI.EXE", "GK7T30U2.EXE", "GK7T30SV.EXE", "GK7T30MS.EXE", "Halcore.dll", "Bmc.dll",
                             "OMRAREG_CTL.dll", "OMRALogging.dll"})
        std::filesystem::copy_file(testbed::testing::beside_this_program(file), install / file,
                                   std::filesystem::copy_options::overwrite_existing);
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
    ASSERT_EQ(testbed::testing::run_to_end("\"" + (install / "GK7T30U2.EXE").string() + "\""), 0) << "installed by setup";
}

void SettingsProgramTest::TearDownTestSuite() {
    testbed::testing::run_to_end("\"" + (install / "GK7T30SV.EXE").string() + "\" -remove");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
    std::error_code ignored;
    std::filesystem::remove_all(install, ignored);
}

void SettingsProgramTest::SetUp() {
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
    control_request(mgx::testbed::control::set_unit,
                    {{control_key::unit, {{control_key::running_hours, 4242}, {control_key::running_hours_fixed, true}}}});
    control_request(mgx::testbed::control::clear_log);
    set_language(1);
}

void SettingsProgramTest::TearDown() { control_request(mgx::testbed::control::clear_faults); }

}  // namespace mgx::settings::testing
