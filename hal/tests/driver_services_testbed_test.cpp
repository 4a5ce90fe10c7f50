// Driver services through the real service manager and the testbed's drivers. Each test puts
// the testbed's driver services back as they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "control_client.h"
#include "process_state.h"
#include "programs.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::hal {
namespace {

using testbed::control_request;
using testbed::testing::run_copy_named;
using testbed::testing::run_to_end;

std::string driver_file(const char *file) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\drivers\\" + file;
}

std::optional<DWORD> service_value(const char *service, const char *name) {
    DWORD value = 0, size = sizeof value;
    const std::string key = std::string("SYSTEM\\CurrentControlSet\\Services\\") + service;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::string image_path(const char *service) {
    char value[512] = {};
    DWORD size = sizeof value;
    const std::string key = std::string("SYSTEM\\CurrentControlSet\\Services\\") + service;
    RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "ImagePath", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                 value, &size);
    return value;
}

// The service's state, or 0 when it does not exist.
DWORD service_state(const char *name) {
    win32::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    win32::UniqueServiceHandle service(OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.get(), &status)) return 0;
    return status.dwCurrentState;
}

void remove_service(const char *name) {
    win32::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    win32::UniqueServiceHandle service(OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
    if (!service) return;
    SERVICE_STATUS status;
    ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service.get());
}

class DriverServicesOnTheTestbed : public ::testing::Test {
protected:
    void TearDown() override {
        control_request(mgx::testbed::control::clear_faults);
        EXPECT_EQ(run_to_end("C:\\mgxtestbed\\vserver.exe drivers install"), 0) << "the testbed's drivers are back";
    }
    const std::string bmc_file = driver_file("bmc.sys");
};

TEST_F(DriverServicesOnTheTestbed, UsersShareTheDriverAndTheLastStopDeletesWhatTheFirstCreated) {
    remove_service("bmc");
    ASSERT_EQ(service_state("bmc"), 0u);
    std::int32_t state = -1;
    ASSERT_EQ(HCXDynamicDriverStart(bmc_file.c_str(), "bmc", &state), status::ok);
    EXPECT_EQ(state, 2) << "this call created the service";
    EXPECT_EQ(service_state("bmc"), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(service_value("bmc", "Counter"), 1u);
    EXPECT_EQ(service_value("bmc", "FinalAction"), 2u);

    ASSERT_EQ(HCXDynamicDriverStart(bmc_file.c_str(), "bmc", &state), status::ok) << "already running";
    EXPECT_EQ(state, 0);
    EXPECT_EQ(service_value("bmc", "Counter"), 2u);
    EXPECT_EQ(service_value("bmc", "FinalAction"), 2u) << "written for the first user only";

    EXPECT_EQ(HCXDynamicDriverStop("bmc", 1), status::service_still_in_use);
    EXPECT_EQ(service_value("bmc", "Counter"), 1u);
    EXPECT_EQ(service_state("bmc"), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(HCXDynamicDriverStop("bmc", 1), status::ok);
    EXPECT_EQ(service_state("bmc"), 0u) << "stopped and deleted";
}

TEST_F(DriverServicesOnTheTestbed, ServiceThatExistedBeforeIsOnlyLeftRunning) {
    remove_service("bmc");
    ASSERT_EQ(run_to_end("C:\\mgxtestbed\\vserver.exe drivers install"), 0) << "a service this library did not create";
    ASSERT_EQ(service_state("bmc"), static_cast<DWORD>(SERVICE_RUNNING));
    std::int32_t state = -1;
    ASSERT_EQ(HCXDynamicDriverStart(bmc_file.c_str(), "bmc", &state), status::ok);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(service_value("bmc", "FinalAction"), 0u);
    EXPECT_EQ(HCXDynamicDriverStop("bmc", 2), status::ok) << "the recorded final action, not the stop type, decides";
    EXPECT_EQ(service_state("bmc"), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(DriverServicesOnTheTestbed, StopTypesThreeAndFourActAtOnce) {
    std::int32_t state;
    ASSERT_EQ(HCXDynamicDriverStart(bmc_file.c_str(), "bmc", &state), status::ok);
    const std::optional<DWORD> counter = service_value("bmc", "Counter");
    EXPECT_EQ(HCXDynamicDriverStop("bmc", 3), status::ok);
    EXPECT_EQ(service_state("bmc"), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(service_value("bmc", "Counter"), counter) << "no counting";
    EXPECT_EQ(HCXDynamicDriverStop("bmc", 4), status::ok);
    EXPECT_EQ(service_state("bmc"), 0u);
}

TEST_F(DriverServicesOnTheTestbed, ExemptServicesAreNeverCounted) {
    std::int32_t state = -1;
    for (const char *name : {"Imbdrv", "SMBUS2"}) {
        SCOPED_TRACE(name);
        const std::string file = driver_file(std::string(name) == "Imbdrv" ? "imbdrv.sys" : "SMBUS2.sys");
        ASSERT_EQ(HCXDynamicDriverStart(file.c_str(), name, &state), status::ok);
        EXPECT_FALSE(service_value(name, "Counter").has_value());
        EXPECT_FALSE(service_value(name, "FinalAction").has_value());
        EXPECT_EQ(HCXDynamicDriverStop(name, 1), status::ok);
        EXPECT_EQ(service_state(name), static_cast<DWORD>(SERVICE_RUNNING)) << "final action 0: nothing";
    }
}

TEST_F(DriverServicesOnTheTestbed, RefusedStartsRewriteTheImagePathAfterTheFifthAndSeventh) {
    remove_service("bmc");
    control_request(mgx::testbed::control::add_fault,
                    {{control_key::fault,
                      {{control_key::kind, "driver-start-failure"}, {control_key::device, "bmc"}, {control_key::count, 7}}}});
    std::int32_t state;
    EXPECT_EQ(HCXDynamicDriverStart(bmc_file.c_str(), "bmc", &state), status::ok) << "the eighth start succeeds";
    EXPECT_EQ(image_path("bmc"), "\\??\\" + bmc_file);
    EXPECT_EQ(service_state("bmc"), static_cast<DWORD>(SERVICE_RUNNING));
    HCXDynamicDriverStop("bmc", 4);

    control_request(mgx::testbed::control::add_fault,
                    {{control_key::fault, {{control_key::kind, "driver-start-failure"}, {control_key::device, "bmc"}}}});
    EXPECT_EQ(HCXDynamicDriverStart(bmc_file.c_str(), "bmc", &state), status::service_not_started);
}

TEST_F(DriverServicesOnTheTestbed, BackEndsInstallTheirDriverOnAFreshMachineAndFindItRunningNextTime) {
    struct Case {
        const char *profile, *service;
        std::int32_t state;
    };
    for (const Case &machine : {Case{"intel", "Imbdrv", 3}, Case{"acer", "SMBUS2", 2}, Case{"velmora", "bmc", 6}}) {
        SCOPED_TRACE(machine.profile);
        control_request(mgx::testbed::control::use_profile, {{control_key::profile, machine.profile}});
        remove_service(machine.service);
        nlohmann::json first = run_copy_named("halcore_probe.exe", "monitor.exe");
        EXPECT_EQ(first["status"], 0);
        EXPECT_EQ(first["type"], machine.state);
        EXPECT_EQ(service_state(machine.service), static_cast<DWORD>(SERVICE_RUNNING));
        EXPECT_FALSE(service_value(machine.service, "Counter").has_value()) << "the back ends' own starts are not counted";

        control_request(mgx::testbed::control::clear_log);
        nlohmann::json second = run_copy_named("halcore_probe.exe", "monitor.exe");
        EXPECT_EQ(second["type"], machine.state);
        for (const nlohmann::json &entry :
             control_request(mgx::testbed::control::log)[control_key::entries].get<std::vector<nlohmann::json>>())
            EXPECT_NE(entry[control_key::code], "0x00000000") << "no driver was started again";
    }
}

TEST_F(DriverServicesOnTheTestbed, FailingDriverStartIsCleanedUpBeforeItsStatusIsReturned) {
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "velmora"}});
    remove_service("bmc");
    control_request(mgx::testbed::control::add_fault,
                    {{control_key::fault, {{control_key::kind, "driver-start-failure"}, {control_key::device, "bmc"}}}});
    nlohmann::json result = run_copy_named("halcore_probe.exe", "monitor.exe");
    EXPECT_EQ(result["status"], status::service_not_started);
    EXPECT_EQ(result["type"], 5);
    EXPECT_EQ(service_state("bmc"), 0u) << "stopped and deleted with stop type 4";
}

// A file of the system put aside for a test, and back however the test ends.
struct MovedAway {
    explicit MovedAway(std::string path) : original(std::move(path)) {}
    ~MovedAway() {
        if (done) MoveFileExA(moved.c_str(), original.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    const std::string original, moved = original + ".away";
    const bool done = MoveFileExA(original.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING);
};

// Decoys of the outside libraries lie beside the program that holds Halcore, and its current
// directory (this test's folder) holds copies of them too: they come from System32 alone, and
// without the system's sensor.dll the start fails.
TEST_F(DriverServicesOnTheTestbed, OutsideLibrariesComeFromSystem32Only) {
    ASSERT_NE(GetFileAttributesW(testbed::testing::beside_this_program("sensor.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    const std::vector<std::string> decoys = {"Imbapi.dll", "sensor.dll", "DMIINFO.dll"};
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "intel"}});
    nlohmann::json installed = run_copy_named("halcore_probe.exe", "monitor.exe", "", decoys);
    EXPECT_EQ(installed["status"], 0);
    EXPECT_EQ(installed["query_table"], true);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const MovedAway system_copy(std::string(system) + "\\sensor.dll");
    ASSERT_TRUE(system_copy.done);
    nlohmann::json planted_only = run_copy_named("halcore_probe.exe", "monitor.exe", "", decoys);
    EXPECT_EQ(planted_only["status"], status::library_load_failed);
    EXPECT_EQ(planted_only["query_table"], false);
}

// Another program, in a folder of its own with a decoy Bmc.dll beside it, loads the installed
// Halcore.dll by its full path: Halcore takes Bmc.dll from its own folder.
TEST_F(DriverServicesOnTheTestbed, HalcoreLoadsBmcFromItsOwnFolderWhoeverHostsIt) {
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "velmora"}});
    const std::string halcore = "\"" + testbed::testing::beside_this_program("Halcore.dll").string() + "\"";
    nlohmann::json hosted = run_copy_named("halcore_host.exe", "monitor.exe", halcore, {"Bmc.dll"});
    EXPECT_EQ(hosted["status"], 0);
    EXPECT_EQ(hosted["type"], 6);
}

TEST_F(DriverServicesOnTheTestbed, OnlyTavoFallsBackToTheCurrentDirectoryForAMissingDriverFile) {
    // The probe runs with this test's folder as its current directory, which holds SMBUS2.sys.
    char current[MAX_PATH];
    GetModuleFileNameA(nullptr, current, MAX_PATH);
    const std::string folder = std::string(current).substr(0, std::string(current).find_last_of('\\'));
    if (folder.size() >= 100) GTEST_SKIP() << "the folder does not fit the 100-byte directory buffer";
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
    remove_service("SMBUS2");
    const MovedAway system_copy(driver_file("SMBUS2.sys"));
    ASSERT_TRUE(system_copy.done);

    nlohmann::json other = run_copy_named("halcore_probe.exe", "monitor.exe");
    EXPECT_EQ(other["status"], status::driver_not_found);
    EXPECT_EQ(other["type"], AcerMachine);
    EXPECT_EQ(service_state("SMBUS2"), 0u);

    nlohmann::json tavo = run_copy_named("halcore_probe.exe", "tavo.EXE");
    EXPECT_EQ(tavo["status"], 0);
    EXPECT_EQ(tavo["type"], SmbusUp);
    EXPECT_EQ(image_path("SMBUS2"), folder + "\\SMBUS2.sys");
    remove_service("SMBUS2");
}

}  // namespace
}  // namespace mgx::hal
