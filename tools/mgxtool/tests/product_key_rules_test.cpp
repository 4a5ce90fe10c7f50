// mgxtool keeps the settings program's rules for the product key: the reset asks first and is
// refused while the monitoring service runs, and every wear-part change reaches the service over
// its parts-change pipe, never a stranger on it. The real program, the service stand-in and the
// testbed's unit.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "device_client.h"
#include "programs.h"
#include "win32/pipe_server.h"
#include "window_driver.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {
namespace {

using nlohmann::json;

const char *const service_log_file = "C:\\ProgramData\\MgxTestbed\\GK7T30SV.log";
const char *const limit_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Limit";

std::string service_log() {
    std::ifstream log(service_log_file, std::ios::binary);
    std::ostringstream contents;
    contents << log.rdbuf();
    return contents.str();
}

int service(const char *argument) { return run_to_end("\"" + beside_this_program("GK7T30SV.EXE").string() + "\" " + argument); }

DWORD cpu_fan_life_time() {
    DWORD value = 0, size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, limit_key, "CPU_FAN", RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

using settings::testing::eventually;

ProgramRun mgxtool(const std::string &arguments) { return run_program("mgxtool.exe", arguments, Captured::OutputAndErrors); }

class ProductKeyRules : public TestbedTest {
protected:
    void SetUp() override {
        use("acer");
        ASSERT_EQ(mgxtool("defaults --yes").exit_code, 0) << "the product key as the setup program leaves it";
        const DWORD edited = 30000;
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, limit_key, "CPU_FAN", REG_DWORD, &edited, sizeof edited);
        std::filesystem::remove(service_log_file);
    }
    void TearDown() override {
        service("-remove");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
        TestbedTest::TearDown();
    }
    static void stop_service() {
        ASSERT_EQ(service("-remove"), 0);
        ASSERT_TRUE(
            eventually([] { return !WaitNamedPipeA("\\\\.\\pipe\\OMRA_PIPE", 0) && GetLastError() == ERROR_FILE_NOT_FOUND; }));
    }
};

// Every way of asking for the reset, with the service running and stopped: only a confirmed
// reset with the service stopped writes, and the setup variant keeps its own rule (the unit, not
// the service).
TEST_F(ProductKeyRules, TheResetAsksAndIsRefusedWhileTheServiceRuns) {
    struct Case {
        bool service_running;
        const char *arguments;
        int exit_code;
        bool written;
        const char *said;
    };
    const Case cases[] = {
        {true, "defaults --yes", 1, false, "GK7T30-Service is running. so can not initialize data."},
        {true, "defaults", 1, false, "nobody can answer here (no console)"},
        {true, "--json defaults", 1, false, "nobody can answer here (--json)"},
        {true, "defaults --check", 0, false,
         "would change HKLM\\SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Limit\\CPU_FAN from 30000 to 26000"},
        {true, "defaults --variant setup", 1, false, "nobody can answer here"},
        {true, "defaults --variant setup --yes", 0, true, "changed HKLM\\SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Limit\\CPU_FAN"},
        {false, "defaults", 1, false, "give --yes"},
        {false, "defaults --check", 0, false, "would change"},
        {false, "defaults --yes", 0, true, "from 30000 to 26000"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(std::string(test.arguments) + (test.service_running ? " (service running)" : " (service stopped)"));
        if (test.service_running) {
            ASSERT_EQ(service("-install"), 0);
        } else {
            stop_service();
        }
        const DWORD edited = 30000;
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, limit_key, "CPU_FAN", REG_DWORD, &edited, sizeof edited);
        std::filesystem::remove(service_log_file);
        const ProgramRun run = mgxtool(test.arguments);
        EXPECT_EQ(run.exit_code, test.exit_code) << run.output;
        EXPECT_NE(run.output.find(test.said), std::string::npos) << run.output;
        EXPECT_EQ(cpu_fan_life_time(), test.written ? 26000u : 30000u);
        const bool asked_service = std::string_view(test.arguments) == "defaults --yes" && test.service_running;
        EXPECT_EQ(service_log().find("OMRA_PIPE") != std::string::npos, asked_service) << "the service asked only after the yes";
    }
}

// A wear-part change sends the dialog's message with the part's flag; a run that changes
// nothing sends nothing; with the service stopped a stranger on its pipe hears nothing and the
// run says that the registry holds the change and the service was not told.
TEST_F(ProductKeyRules, WearPartChangesReachTheServiceAndNobodyElse) {
    ASSERT_EQ(service("-install"), 0);
    struct Case {
        const char *arguments;
        const char *message;  // nullptr: none sent
    };
    const Case cases[] = {
        {"lifetime --part chassis-fan --hours 14000", "00000000000000000001"},
        {"lifetime --set-hours 2 --hours 14000", nullptr},
        {"lifetime --part chassis-fan --hours 0 --check", nullptr},
        {"lifetime --set-hours 2 --hours 0", "00000000000000000001"},
        {"lifetime --part raid-01 --date 2024/05/06", "01000000000000000000"},
        {"lifetime --set-date 17 --date 2024/05/06", "00000000000000000100"},
        {"lifetime --part cpu-fan --hours 0 --tell-service", "10000000000000000000"},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.arguments);
        std::filesystem::remove(service_log_file);
        const ProgramRun run = mgxtool(test.arguments);
        EXPECT_EQ(run.exit_code, 0) << run.output;
        const std::string log = service_log();
        if (test.message)
            EXPECT_NE(log.find(std::string("OMRAPartsChange 21 bytes: ") + test.message + " "), std::string::npos) << log;
        else
            EXPECT_EQ(log.find("OMRAPartsChange"), std::string::npos) << log;
    }

    stop_service();
    std::atomic<int> received{0};
    std::unique_ptr<win32::PipeServer> rogue = win32::serve_messages("\\\\.\\pipe\\OMRAPartsChange", [&](const std::string &) {
        ++received;
        return std::string("OK");
    });
    const ProgramRun run = mgxtool("--json lifetime --part power-supply --hours 7");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.output.find("the product key was written, but the monitoring service was not told"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("\"service_told\": false"), std::string::npos) << run.output;
    EXPECT_NE(mgxtool("--json lifetime").output.find("\"power_supply\": 7"), std::string::npos) << "the registry holds it";
    rogue.reset();
    EXPECT_EQ(received, 0);
}

// The memory-error clear sends the main menu's two requests, only after the yes.
TEST_F(ProductKeyRules, MemoryClearSendsTheMainMenusRequestsOnlyWhenConfirmed) {
    const auto sent = [this] {
        std::vector<std::string> data;
        for (const json &entry : log())
            if (entry.contains(control_key::request) && entry[control_key::request][control_key::netfn] == 0x3A &&
                entry[control_key::request][control_key::command] == 0x35)
                data.push_back(entry[control_key::request][control_key::data]);
        return data;
    };
    for (const char *refused : {"memory-clear", "--json memory-clear", "memory-clear --check"}) {
        SCOPED_TRACE(refused);
        control_request(control::clear_log);
        mgxtool(refused);
        EXPECT_TRUE(sent().empty());
    }
    control_request(control::clear_log);
    const ProgramRun run = mgxtool("memory-clear --yes");
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_NE(run.output.find("cleared the memory-error information"), std::string::npos) << run.output;
    EXPECT_EQ(sent(), (std::vector<std::string>{"00 ff ff ff ff ff ff ff ff", "01 ff ff ff ff ff ff ff ff"}));
}

}  // namespace
}  // namespace mgx::testbed::testing
