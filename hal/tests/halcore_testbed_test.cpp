// Halcore end to end: the real DMIINFO, Imbapi and sensor stand-ins, the real drivers and the
// virtual server; only the waits are recorded instead of waited. DMIINFO reads the SMBIOS table
// once per process, so each machine's suite runs in a process of its own (see CMakeLists.txt).
#include <gtest/gtest.h>

#include <cstring>

#include "control_client.h"
#include "hal_fakes.h"
#include "halcore.h"
#include "process_state.h"
#include "program_copies.h"
#include "status_codes.h"

namespace mgx::hal {
namespace {

using testbed::control_request;
using testing::RecordedWaits;

class OnMachine : public ::testing::Test {
protected:
    void SetUp() override { control_request("use-profile", {{"profile", machine()}}); }
    void TearDown() override {
        HCXFreeImbSmbDll();
        control_request("clear-faults");
        testing::reset_process_state();
    }
    virtual const char *machine() const = 0;
    nlohmann::json log() { return control_request("log")["entries"]; }
    void fault(nlohmann::json spec) { control_request("add-fault", {{"fault", std::move(spec)}}); }
    void silence_unit() { control_request("set-unit", {{"unit", {{"silent", true}}}}); }
    void fix_hours(std::uint32_t hours) {
        control_request("set-unit", {{"unit", {{"running_hours", hours}, {"running_hours_fixed", true}}}});
    }

    RecordedWaits waits;
    std::int32_t type = -1;
};

#define MACHINE(Suite, name)                                            \
    class Suite : public OnMachine {                                    \
        const char *machine() const override { return name; }           \
    }

MACHINE(OnIntel, "intel");
MACHINE(OnIntelS450, "intel-s450");
MACHINE(OnAcer, "acer");
MACHINE(OnVelmora, "velmora");
MACHINE(OnUnknown, "unknown");
MACHINE(OnNoSmbios, "no-smbios");

TEST_F(OnIntel, UnitAnswersThroughTheImbLibraryWithoutAnyWait) {
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, ImbUp);
    EXPECT_TRUE(waits.waits().empty());
    nlohmann::json entries = log();
    ASSERT_EQ(entries.size(), 1u) << "one running-time probe";
    EXPECT_EQ(entries[0]["device"], "imb");
    EXPECT_EQ(entries[0]["input"], "2c 01 00 00 22 3a 00 30 00 00");
    EXPECT_EQ(HCXFreeImbSmbDll(), status::ok);
}

TEST_F(OnIntel, RunningHoursComeFromTheUnit) {
    fix_hours(26000);
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    std::uint32_t hours = 0;
    EXPECT_EQ(HCXMgxInterface(nullptr, 0, &hours, 4, 9), status::ok);
    EXPECT_EQ(hours, 26000u);
}

TEST_F(OnIntel, SilentUnitLeavesStateZeroWithStatusZero) {
    silence_unit();
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, IntelUnitSilent);
    // The probe: five dispatcher attempts of five library attempts each.
    EXPECT_EQ(waits.count(500), 25u);
    EXPECT_EQ(waits.count(1000), 4u);
    EXPECT_EQ(waits.waits().size(), 29u);
    std::uint32_t hours;
    EXPECT_EQ(MGXGetLifeTime(&hours), status::no_device) << "state 0 routes to the device path, and no device is open";
}

TEST_F(OnIntel, CompletionCodeOnEveryLibraryAttemptIsReturned) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    fault({{"kind", "completion-code"}, {"netfn", 0x3A}, {"command", 0x30}, {"code", 0xC1}});
    const std::uint64_t first = log().back()["sequence"].get<std::uint64_t>() + 1;
    std::uint32_t hours;
    EXPECT_EQ(MGXGetLifeTime(&hours), 0xC1);
    EXPECT_EQ(control_request("log", {{"since", first}})["entries"].size(), 5u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(5, 500));
}

TEST_F(OnIntel, ProductProgramsGetNoQueryTable) {
    nlohmann::json other = testbed::testing::run_copy_named("halcore_probe.exe", "monitor.exe");
    ASSERT_TRUE(other.is_object());
    EXPECT_EQ(other["status"], 0);
    EXPECT_EQ(other["type"], ImbUp);
    EXPECT_TRUE(other["query_table"]) << "from the sensor library";
    nlohmann::json product = testbed::testing::run_copy_named("halcore_probe.exe", "gK7t30Ui.exe");
    EXPECT_EQ(product["status"], 0);
    EXPECT_EQ(product["type"], ImbUp);
    EXPECT_FALSE(product["query_table"]);
}

TEST_F(OnIntelS450, ProductNameWithS450GivesStateFour) {
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, ImbUpS450);
    EXPECT_STREQ(process_state().baseboard_product, "SKS450NX");
}

TEST_F(OnAcer, UnitAnswersOverTheSmbusDriverWithoutAnyWait) {
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, SmbusUp);
    EXPECT_TRUE(waits.waits().empty());
    EXPECT_NE(process_state().device, nullptr) << "the SMBus back end keeps its device open";
    EXPECT_STREQ(process_state().owner_name, "halcore_testbed_tes") << "the program's name, cut to 19 characters";
    EXPECT_NE(process_state().sensor_lock, nullptr);

    nlohmann::json entries = log();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0]["code"], "0x80102020");
    EXPECT_EQ(entries[1]["code"], "0x80102004");
    EXPECT_EQ(entries[1]["request"]["netfn"], 0x3A);
    EXPECT_EQ(entries[1]["input"].get<std::string>().substr(0, 26), "11 0a e0 05 20 00 3a 30 6f") << "checksum accepted";
    EXPECT_EQ(entries[3]["code"], "0x80102024");

    EXPECT_EQ(HCXFreeImbSmbDll(), status::ok);
    EXPECT_EQ(process_state().device, nullptr);
    EXPECT_EQ(process_state().sensor_lock, nullptr);
}

TEST_F(OnAcer, SilentUnitFailsFiveStartsFiveSecondsApart) {
    silence_unit();
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::transport_failure);
    EXPECT_EQ(type, AcerMachine);
    // Each start's probe: five dispatcher attempts (four waits), each two cycles with one wait
    // between the failed writes; then one wait after each of the five starts.
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(5 * (5 * 2 + 4) + 5, 1000));
}

TEST_F(OnAcer, RefusedLockGivesUpAfterTwoAttemptsPerRequest) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    fault({{"kind", "refuse-lock"}});
    std::uint32_t hours;
    EXPECT_EQ(MGXGetLifeTime(&hours), status::device_lock_failed);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 1000));
}

TEST_F(OnAcer, ProductProgramsTryTheBusTenTimes) {
    fault({{"kind", "refuse-lock"}, {"count", 9}});
    nlohmann::json product = testbed::testing::run_copy_named("halcore_probe.exe", "GK7T30UI.EXE");
    ASSERT_TRUE(product.is_object());
    EXPECT_EQ(product["status"], 0);
    EXPECT_EQ(product["type"], SmbusUp);
    EXPECT_EQ(product["owner_name"], "GK7T30UI.EXE");
    EXPECT_FALSE(product["query_table"]) << "no collectors for the product's own programs";
    EXPECT_EQ(product["waits"], std::vector<DWORD>(9, 1000));
}

TEST_F(OnAcer, DeviceIdentityUsesTheExtendedRetry) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    fault({{"kind", "refuse-lock"}, {"count", 9}});
    MgxDeviceIdentity identity{};
    EXPECT_EQ(HCXMgxInterface(nullptr, 0, &identity, sizeof identity, 25), status::ok) << "ten lock attempts, not two";
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(9, 1000));
    EXPECT_EQ(identity.device_id, 0x20);
    EXPECT_EQ(process_state().extended_retry, 0);
}

TEST_F(OnAcer, AnswerFaultsGiveTheirStatusesAndTheDispatcherTriesAgain) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    struct Case {
        const char *kind;
        std::int32_t status;
    };
    for (const Case &test : {Case{"bad-checksum", status::answer_checksum_wrong}, Case{"bad-header", status::transport_failure},
                             Case{"fail-read", status::send_receive_failed}}) {
        SCOPED_TRACE(test.kind);
        fault({{"kind", test.kind}});
        MgxRequest request = make_request(0x3A, 0x30);
        MgxResponse response{};
        EXPECT_EQ(HCXMgxInterface(&request, sizeof request, &response, sizeof response, 24), test.status);
        control_request("clear-faults");
        fault({{"kind", test.kind}, {"count", 1}});
        EXPECT_EQ(HCXMgxInterface(&request, sizeof request, &response, sizeof response, 24), status::ok);
        EXPECT_EQ(response.length, 4);
        control_request("clear-faults");
    }
}

TEST_F(OnVelmora, UnitAnswersThroughTheBmcLibraryWithoutAnyWait) {
    fix_hours(4321);
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, BmcUp);
    EXPECT_TRUE(waits.waits().empty());
    std::uint32_t hours = 0;
    EXPECT_EQ(MGXGetLifeTime(&hours), status::ok);
    EXPECT_EQ(hours, 4321u);
    EXPECT_EQ(HCXFreeImbSmbDll(), status::ok);
}

TEST_F(OnVelmora, SilentUnitLeavesStateFive) {
    silence_unit();
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, BmcUnitSilent);
    EXPECT_EQ(waits.count(500), 25u);
    EXPECT_EQ(waits.count(1000), 4u);
}

TEST_F(OnUnknown, NoBackEndAfterFifteenWaits) {
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, Unrecognised);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(15, 1000));
    EXPECT_EQ(HCXFreeImbSmbDll(), status::ok);
    EXPECT_EQ(waits.waits().size(), 30u) << "the stop detects afresh";
    EXPECT_TRUE(log().empty()) << "nothing is sent to any device";
}

TEST_F(OnNoSmbios, MissingSmbiosEndsInTheFirstPass) {
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::smbios_absent);
    EXPECT_EQ(type, Unrecognised);
    EXPECT_EQ(HCXFreeImbSmbDll(), status::smbios_absent);
    EXPECT_TRUE(waits.waits().empty());
}

}  // namespace
}  // namespace mgx::hal
