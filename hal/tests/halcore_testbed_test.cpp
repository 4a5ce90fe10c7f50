// Halcore end to end: the real DMIINFO, Imbapi and sensor stand-ins, the real drivers and the
// virtual server; only the waits are recorded instead of waited. DMIINFO reads the SMBIOS table
// once per process, so each machine's suite runs in a process of its own (see CMakeLists.txt).
#include <gtest/gtest.h>

#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_fakes.h"
#include "mgx_message.h"
#include "process_state.h"
#include "programs.h"
#include "testbed_machines.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::hal {
namespace {

TEST_F(OnIntel, UnitAnswersThroughTheImbLibraryWithoutAnyWait) {
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, ImbUp);
    EXPECT_TRUE(waits.waits().empty());
    nlohmann::json entries = log();
    ASSERT_EQ(entries.size(), 1u) << "one running-time probe";
    EXPECT_EQ(entries[0][control_key::device], "imb");
    EXPECT_EQ(entries[0][control_key::input], "2c 01 00 00 22 3a 00 30 00 00");
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
    fault({{control_key::kind, "completion-code"},
           {control_key::netfn, 0x3A},
           {control_key::command, 0x30},
           {control_key::code, 0xC1}});
    const std::uint64_t first = log().back()["sequence"].get<std::uint64_t>() + 1;
    std::uint32_t hours;
    EXPECT_EQ(MGXGetLifeTime(&hours), 0xC1);
    EXPECT_EQ(control_request(mgx::testbed::control::log, {{control_key::since, first}})[control_key::entries].size(), 5u);
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

// The IMB back end forwards into the sensor library's table (its stand-in answers recognisably).
TEST_F(OnIntel, QueriesReachTheSensorLibrarysTable) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    std::int32_t count = 0;
    EXPECT_EQ(HCXGetSensorNumber(3, &count), 0);
    EXPECT_EQ(count, 307);
    EXPECT_EQ(HCXGetSensorThreshVal(1, 2, 3, 4), 30) << "the four arguments as passed";
    char description[8] = {}, text[8] = {};
    EXPECT_EQ(HCXGetLCDInfo(description, text), 0);
    EXPECT_EQ(description[0], 'D');
    EXPECT_EQ(text[0], 'T');
    EXPECT_EQ(HCXGetMemDevFruInfo(0, 0), 4) << "a slot the library does not serve";
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
    ASSERT_GT(entries.size(), 4u) << "the probe, then the repository walk";
    EXPECT_EQ(entries[0][control_key::code], "0x80102020");
    EXPECT_EQ(entries[1][control_key::code], "0x80102004");
    EXPECT_EQ(entries[1]["request"][control_key::netfn], 0x3A);
    EXPECT_EQ(entries[1][control_key::input].get<std::string>().substr(0, 26), "11 0a e0 05 20 00 3a 30 6f")
        << "checksum accepted";
    EXPECT_EQ(entries[3][control_key::code], "0x80102024");

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
    fault({{control_key::kind, "refuse-lock"}});
    std::uint32_t hours;
    EXPECT_EQ(MGXGetLifeTime(&hours), status::device_lock_failed);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 1000));
}

TEST_F(OnAcer, ProductProgramsTryTheBusTenTimes) {
    fault({{control_key::kind, "refuse-lock"}, {control_key::count, 9}});
    nlohmann::json product = testbed::testing::run_copy_named("halcore_probe.exe", "GK7T30UI.EXE");
    ASSERT_TRUE(product.is_object());
    EXPECT_EQ(product["status"], 0);
    EXPECT_EQ(product["type"], SmbusUp);
    EXPECT_EQ(product["owner_name"], "GK7T30UI.EXE");
    EXPECT_FALSE(product["query_table"]) << "no collectors for the product's own programs";
    EXPECT_EQ(product["waits"], std::vector<DWORD>(9, 1000));
}

TEST_F(OnAcer, TheLocalQueryTableAnswersNotSupported) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(HCXGetMemDevFruInfo(0, 0), 4);
    EXPECT_EQ(HCXGetSensorThreshVal(0, 0, 0, 0), 4);
}

TEST_F(OnAcer, DeviceIdentityUsesTheExtendedRetry) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    fault({{control_key::kind, "refuse-lock"}, {control_key::count, 9}});
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
        fault({{control_key::kind, test.kind}});
        MgxRequest request = make_request(0x3A, 0x30);
        MgxResponse response{};
        EXPECT_EQ(HCXMgxInterface(&request, sizeof request, &response, sizeof response, 24), test.status);
        control_request(mgx::testbed::control::clear_faults);
        fault({{control_key::kind, test.kind}, {control_key::count, 1}});
        EXPECT_EQ(HCXMgxInterface(&request, sizeof request, &response, sizeof response, 24), status::ok);
        EXPECT_EQ(response.length, 4);
        control_request(mgx::testbed::control::clear_faults);
    }
}

nlohmann::json unit_memory() { return control_request(mgx::testbed::control::status)[control_key::unit][control_key::memory]; }

// The message of the newest logged request that carried one.
nlohmann::json last_message() {
    const nlohmann::json entries = control_request(mgx::testbed::control::log)[control_key::entries];
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        if (entry->contains("request")) return (*entry)["request"];
    return nullptr;
}

TEST_F(OnAcer, SettingsAreKeptByTheUnit) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    std::int32_t mode = 0;
    ASSERT_EQ(HCXMgxInterface(&mode, 4, nullptr, 0, 17), status::ok);
    mode = 5;
    ASSERT_EQ(HCXMgxInterface(nullptr, 0, &mode, 4, 16), status::ok);
    EXPECT_EQ(mode, 0);
    BootMonitorSettings settings{1, 1, 1800, 3, 900, 2, 1}, read{};
    ASSERT_EQ(HCXMgxInterface(&settings, sizeof settings, nullptr, 0, 19), status::ok);
    ASSERT_EQ(HCXMgxInterface(nullptr, 0, &read, sizeof read, 18), status::ok);
    EXPECT_EQ(read.post_timeout, 1800);
    EXPECT_EQ(read.post_retries, 3);
    EXPECT_EQ(read.os_boot_timeout, 900);
    EXPECT_EQ(read.os_boot_retries, 2);
    EXPECT_EQ(read.retry_method, 1);
    const nlohmann::json memory = unit_memory();
    EXPECT_EQ(memory["safe_mode"], 0);
    EXPECT_TRUE(memory["boot"]["post_enabled"]);
    EXPECT_TRUE(memory["boot"]["os_boot_enabled"]);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(2, 500)) << "the two settle waits";
}

TEST_F(OnAcer, StoreAreaSurvivesShortAnswersAndAnInterruptedWriteLeavesItsFirstChunk) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    MgxStoreBlock block{100, 40, {}};
    for (int i = 0; i < 40; ++i) block.data[100 + i] = static_cast<std::uint8_t>(i + 1);
    std::uint16_t written = 0;
    ASSERT_EQ(HCXMgxInterface(&block, sizeof block, &written, 2, 23), status::ok);
    EXPECT_EQ(written, 40);

    fault(
        {{control_key::kind, "short-answer"}, {control_key::netfn, 0x3A}, {control_key::command, 0x38}, {control_key::count, 2}});
    MgxStoreBlock asked{100, 40, {}}, got{};
    ASSERT_EQ(HCXMgxInterface(&asked, sizeof asked, &got, sizeof got, 22), status::ok);
    EXPECT_EQ(got.length, 40) << "bytes delivered short are asked for again";
    for (int i = 0; i < 40; ++i) ASSERT_EQ(got.data[i], i + 1) << i;

    fault({{control_key::kind, "completion-code"},
           {control_key::netfn, 0x3A},
           {control_key::command, 0x39},
           {control_key::code, 0xC0},
           {control_key::skip, 1},
           {control_key::count, 1}});
    MgxStoreBlock overwrite{200, 64, {}};
    std::memset(overwrite.data + 200, 0xAB, 64);
    written = 7;
    EXPECT_EQ(MGXWriteTempForHcx(overwrite, &written), 0xC0) << "the second of four requests fails";
    EXPECT_EQ(written, 7);
    const nlohmann::json store = unit_memory()["store"];
    EXPECT_EQ(store[200], 0xAB);
    EXPECT_EQ(store[215], 0xAB);
    EXPECT_EQ(store[216], 0) << "nothing after the first chunk";
}

TEST_F(OnAcer, SystemInformationIsWrittenAsVelmoraAndReadBackPadded) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    MgxSystemInformation info{};
    const auto set = [&info](int number, const char *text) {
        SystemInformationEntry &entry = info.entries[system_information_slot[number]];
        entry.length = static_cast<std::uint8_t>(std::strlen(text));
        std::memcpy(entry.text, text, entry.length);
    };
    set(0, "Another maker");
    set(1, "GK7-100");
    set(2, "SN 42");
    set(3, "ABCDEFGHIJKLMN");
    ASSERT_EQ(HCXMgxInterface(&info, sizeof info, nullptr, 0, 21), status::ok);
    const nlohmann::json texts = unit_memory()["system_information"];
    EXPECT_EQ(texts[0], "VELMORA");
    EXPECT_EQ(texts[3], "ABCDEFGHIJKLMN");

    MgxSystemInformation read{};
    ASSERT_EQ(HCXMgxInterface(nullptr, 0, &read, sizeof read, 20), status::ok);
    EXPECT_EQ(std::string(read.entries[0].text), "00");
    EXPECT_EQ(std::string(read.entries[system_information_slot[1]].text, 12), "GK7-100#####");
    EXPECT_EQ(read.entries[system_information_slot[3]].length, 14);
    EXPECT_GE(read.check_code[0], 'A');
    EXPECT_LE(read.check_code[0], 'P');
}

TEST_F(OnAcer, FruSourcesFansAndPanel) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    MgxFruData data{0, 1, 8, 4, {0xDE, 0xAD, 0xBE, 0xEF}};
    std::uint8_t written = 0;
    ASSERT_EQ(HCXMgxInterface(&data, sizeof data, &written, 1, 4), status::ok);
    EXPECT_EQ(written, 4);
    EXPECT_EQ(last_message()["netfn"], 0x0A) << "a standard FRU device";
    MgxFruRequest request{0, 1, 8, 4};
    MgxFruData read{};
    ASSERT_EQ(HCXMgxInterface(&request, sizeof request, &read, sizeof read, 3), status::ok);
    EXPECT_EQ(read.count, 4);
    EXPECT_EQ(read.data[3], 0xEF);
    request.source = 1;
    ASSERT_EQ(HCXMgxInterface(&request, sizeof request, &read, sizeof read, 3), status::ok);
    EXPECT_EQ(read.data[0], 0xFF) << "the unit's own store is another area";
    EXPECT_EQ(last_message()["command"], 0x52);

    std::uint8_t code = 0;
    MgxFanControl fan{1, 0, 0};
    ASSERT_EQ(HCXMgxInterface(&fan, sizeof fan, &code, 1, 5), status::ok);
    std::int32_t fan_number = 1, running = 5;
    ASSERT_EQ(HCXMgxInterface(&fan_number, 4, &running, 4, 6), status::ok);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(MGXFanRotControl(MgxFanControl{9, 1, 0}, &code), 0xC9);
    EXPECT_EQ(code, 0xC9);

    MgxPanelControl control{};
    control.enable = 1;
    control.pattern = 0x05;
    control.with_display = 1;
    control.display_mode = 1;
    control.text_length = 6;
    control.row = 1;
    std::memcpy(control.text, "SERVER", 6);
    ASSERT_EQ(HCXMgxInterface(&control, sizeof control, nullptr, 0, 7), status::ok);
    MgxPanelState state{};
    ASSERT_EQ(HCXMgxInterface(nullptr, 0, &state, sizeof state, 8), status::ok);
    EXPECT_EQ(state.flags[1], 1) << "an LCD panel is present";
    EXPECT_EQ(state.flags[3], 1) << "OS boot monitoring is supported";
    EXPECT_EQ(std::string(state.line[1], 6), "SERVER");
    EXPECT_EQ(state.flags[5], 1);
    EXPECT_EQ(state.flags[6], 0);
    EXPECT_EQ(state.flags[7], 1);
}

TEST_F(OnVelmora, MachineWithoutLcdOrBootMonitoringSaysSo) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    MgxPanelState state{};
    ASSERT_EQ(HCXMgxInterface(nullptr, 0, &state, sizeof state, 8), status::ok);
    EXPECT_EQ(state.flags[1], 0);
    EXPECT_EQ(state.flags[3], 0);
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

TEST_F(OnVelmora, NoQueryTable) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    std::int32_t count = 0;
    EXPECT_EQ(HCXGetSensorNumber(1, &count), status::interface_unavailable);
    EXPECT_EQ(HCXGetInvFruInfo(nullptr, nullptr), status::interface_unavailable);
    EXPECT_EQ(HCXGetLCDInfo(nullptr, nullptr), status::interface_unavailable);
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
