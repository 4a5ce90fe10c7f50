#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "control_protocol.h"
#include "fault_plan.h"
#include "profile.h"
#include "text/hex.h"

namespace mgx::testbed {
namespace {

namespace key = control::key;

std::filesystem::path shipped_profiles() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / "profiles";
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

TEST(ShippedProfiles, EachMachineHasTheBaseboardAndDriversItStandsFor) {
    struct Expected {
        const char *name, *vendor_prefix;
        std::vector<DeviceKind> devices;
    };
    const std::vector<Expected> machines = {{"intel", "INTEL", {DeviceKind::Imb}},
                                            {"intel-s450", "INTEL", {DeviceKind::Imb}},
                                            {"acer", "ACER", {DeviceKind::Smbus}},
                                            {"velmora", "VELMORA", {DeviceKind::Bmc}},
                                            {"unknown", "", {}}};
    for (const Expected &machine : machines) {
        SCOPED_TRACE(machine.name);
        Profile profile = load_profile(shipped_profiles() / (std::string(machine.name) + ".json"));
        EXPECT_EQ(profile.name, machine.name);
        ASSERT_TRUE(profile.smbios.has_value());
        const std::string vendor = upper(profile.smbios->baseboard_manufacturer);
        if (*machine.vendor_prefix)
            EXPECT_EQ(vendor.rfind(machine.vendor_prefix, 0), 0u);
        else
            for (const char *known : {"INTEL", "ACER", "VELMORA"}) EXPECT_NE(vendor.rfind(known, 0), 0u);
        EXPECT_EQ(profile.devices, machine.devices);
        EXPECT_EQ(profile.smbios->processors.size(), 2u);
        EXPECT_FALSE(profile.smbios->memory_devices.empty());
    }
    EXPECT_NE(load_profile(shipped_profiles() / "intel-s450.json").smbios->baseboard_product.find("S450"), std::string::npos);
    EXPECT_EQ(load_profile(shipped_profiles() / "intel.json").smbios->baseboard_product.find("S450"), std::string::npos);
    EXPECT_FALSE(load_profile(shipped_profiles() / "no-smbios.json").smbios.has_value());
    const Profile acer = load_profile(shipped_profiles() / "acer.json");
    ASSERT_TRUE(acer.lcd_panel.has_value()) << "the SMBus machine has the LCD panel controller and RCI chain";
    EXPECT_FALSE(acer.lcd_panel->rci_nodes.empty());
    EXPECT_FALSE(acer.lcd_panel->pages.empty());
    EXPECT_FALSE(load_profile(shipped_profiles() / "intel.json").lcd_panel.has_value());
}

TEST(ProfileParsing, MistakesNameTheField) {
    const auto error_of = [](const char *text) -> std::string {
        try {
            parse_profile(nlohmann::json::parse(text));
        } catch (const std::exception &error) {
            return error.what();
        }
        return "accepted";
    };
    const char *unit = R"("unit": {"device_id": "20 81 01 10 51 3f"})";
    EXPECT_NE(error_of(R"({"unit": {"device_id": "20 81 01 10 51 3f"}})").find("name"), std::string::npos);
    EXPECT_NE(error_of((std::string(R"({"name": "x", "devices": ["floppy"], )") + unit + "}").c_str()).find("devices"),
              std::string::npos);
    EXPECT_NE(error_of(R"({"name": "x", "unit": {"device_id": "2 0"}})").find("device_id"), std::string::npos);
    EXPECT_NE(error_of(R"({"name": "x", "unit": {"device_id": "20 81"}})").find("6 to 15"), std::string::npos);
    EXPECT_NE(error_of(R"({"name": "x", "unit": {"device_id": "20 81 01 10 51 3f", "running_hours": -1}})").find("running_hours"),
              std::string::npos);
    EXPECT_EQ(error_of((std::string(R"({"name": "x", )") + unit + "}").c_str()), "accepted");
    const auto panel_error = [&](const char *panel) {
        return error_of((std::string(R"({"name": "x", )") + unit + R"(, "lcd_panel": )" + panel + "}").c_str());
    };
    EXPECT_NE(panel_error(R"({"pages": {"00": "one byte"}})").find("two hexadecimal"), std::string::npos);
    EXPECT_NE(panel_error(R"({"pages": {"00 10": "seventeen letters"}})").find("16"), std::string::npos);
    EXPECT_NE(panel_error("{\"pages\": {\"00 10\": \"\xc3\x9c"
                          "ber\"}}")
                  .find("printable ASCII"),
              std::string::npos);
    EXPECT_NE(
        panel_error(
            R"({"device_info": "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f 20 21 22 23 24 25 26 27 28 29"})")
            .find("41"),
        std::string::npos);
    EXPECT_NE(panel_error(R"({"rci_nodes": [{"units": ["zz"]}]})").find("RCI unit"), std::string::npos);
    EXPECT_EQ(panel_error(R"({"pages": {"00 10": "sixteen letters!"}, "rci_nodes": [{"units": ["01"]}]})"), "accepted");
}

// A profile's event log by the records' fields or as their bytes; at most 0xFFFE records, as the
// ID 0xFFFF ends a log.
TEST(ProfileParsing, EventLogRecordsComeByTheirFieldsOrBytesAndFillAtMostOneLog) {
    const auto with_log = [](const nlohmann::json &log) {
        return parse_profile({{"name", "x"}, {"unit", {{"device_id", "20 81 01 10 51 3f"}, {"event_log", log}}}}).unit.event_log;
    };
    const auto hex = [](const char *text) { return *text::from_hex(text); };
    const auto log = with_log(nlohmann::json::parse(R"([
        {"timestamp": "2022-11-14 23:50:08", "sensor_type": 1, "sensor_number": 48, "event_type": 1, "offset": 9,
         "trigger_reading": 92, "trigger_threshold": 90},
        {"timestamp": {"since_initialisation": 300}, "generator_id": 65, "sensor_type": 9, "sensor_number": 72,
         "event_type": 11, "direction": "deassertion", "offset": 2, "previous_state": 0},
        {"sensor_type": 16, "sensor_number": 116, "event_type": 111, "offset": 2, "oem_data_3": 7},
        {"record_type": 193, "timestamp": "2023-05-01 00:00:00", "manufacturer_id": 10876, "oem_data": "de ad be ef 01 02"},
        {"record_type": 224, "oem_data": "01 02 03 04 05 06 07 08 09 0a 0b 0c 0d"},
        "00 00 02 00 5e 71 62 20 00 04 01 30 01 57 07 ff"])"));
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], hex("00 00 02 30 d4 72 63 20 00 04 01 30 01 59 5c 5a"));
    EXPECT_EQ(log[1], hex("00 00 02 2c 01 00 00 41 00 04 09 48 8b 42 f0 ff"));
    EXPECT_EQ(log[2], hex("00 00 02 ff ff ff ff 20 00 04 10 74 6f 22 ff 07"));
    EXPECT_EQ(log[3], hex("00 00 c1 00 01 4f 64 7c 2a 00 de ad be ef 01 02"));
    EXPECT_EQ(log[4], hex("00 00 e0 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d"));
    EXPECT_EQ(log[5], hex("00 00 02 00 5e 71 62 20 00 04 01 30 01 57 07 ff"));

    const auto error_of = [&](const nlohmann::json &log) -> std::string {
        try {
            with_log(log);
        } catch (const std::exception &error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_NE(error_of({{{"sensor_typ", 1}}}).find("sensor_typ"), std::string::npos) << "a misspelt field";
    EXPECT_NE(error_of({{{"timestamp", "2022-02-30 00:00:00"}}}).find("timestamp"), std::string::npos);
    EXPECT_NE(error_of({{{"direction", "up"}}}).find("direction"), std::string::npos);
    EXPECT_NE(error_of({{{"record_type", 3}}}).find("record_type"), std::string::npos);
    EXPECT_NE(error_of({{{"record_type", 0xE0}, {"oem_data", "01"}}}).find("13"), std::string::npos);
    EXPECT_NE(error_of({"01 02"}).find("record 1"), std::string::npos);
    const nlohmann::json full(0xFFFE, "00 00 02 00 5e 71 62 20 00 04 01 30 01 57 07 ff");
    EXPECT_EQ(error_of(full), "accepted");
    nlohmann::json too_many = full;
    too_many.push_back(full[0]);
    EXPECT_NE(error_of(too_many).find("65534"), std::string::npos) << "the 65,535th record would carry the ID 0xFFFF";
}

TEST(FaultPlan, CountedFaultsRunOutAndFiltersNarrowWhatMatches) {
    FaultPlan plan;
    plan.add(parse_fault({{key::kind, "completion-code"},
                          {key::device, "smbus"},
                          {key::netfn, 0x3A},
                          {key::command, 0x30},
                          {key::count, 2},
                          {key::code, 0xC1}}));
    const FaultSite running_time{DeviceKind::Smbus, 0x3A, 0x30};
    EXPECT_FALSE(plan.take(FaultKind::CompletionCode, {DeviceKind::Bmc, 0x3A, 0x30}));
    EXPECT_FALSE(plan.take(FaultKind::CompletionCode, {DeviceKind::Smbus, 0x06, 0x01}));
    EXPECT_FALSE(plan.take(FaultKind::CompletionCode, {DeviceKind::Smbus, std::nullopt, std::nullopt}));
    EXPECT_FALSE(plan.take(FaultKind::Silence, running_time));
    EXPECT_EQ(plan.take(FaultKind::CompletionCode, running_time)->code, 0xC1);
    EXPECT_TRUE(plan.take(FaultKind::CompletionCode, running_time));
    EXPECT_FALSE(plan.take(FaultKind::CompletionCode, running_time));
    EXPECT_TRUE(plan.faults().empty());
}

TEST(FaultPlan, AnAddressNarrowsAFaultToOneSmbusDevice) {
    FaultPlan plan;
    plan.add(parse_fault({{key::kind, "bad-status"}, {key::address, 0x18}, {key::command, 0xC0}}));
    EXPECT_FALSE(plan.take(FaultKind::BadStatus, {DeviceKind::Smbus, 0x06, 0xC0})) << "a unit message";
    EXPECT_TRUE(plan.take(FaultKind::BadStatus, {DeviceKind::Smbus, std::nullopt, 0xC0, 0x18}));
    EXPECT_EQ(to_json(plan.faults()[0])[key::address], 0x18);
}

TEST(FaultPlan, SkippedRequestsPassBeforeTheFaultApplies) {
    FaultPlan plan;
    plan.add(parse_fault({{key::kind, "fail-write"}, {key::skip, 1}, {key::count, 1}}));
    const FaultSite site{DeviceKind::Smbus, 0x3A, 0x39};
    EXPECT_FALSE(plan.take(FaultKind::FailWrite, site)) << "the first passes";
    EXPECT_TRUE(plan.take(FaultKind::FailWrite, site)) << "the second fails";
    EXPECT_FALSE(plan.take(FaultKind::FailWrite, site));
}

TEST(FaultPlan, FaultRoundTripsThroughItsJson) {
    Fault fault = parse_fault({{key::kind, "refuse-lock"}});
    EXPECT_FALSE(fault.remaining.has_value());
    nlohmann::json shown = to_json(fault);
    EXPECT_EQ(shown[key::count], "always");
    EXPECT_EQ(to_json(parse_fault(shown)), shown);
}

TEST(FaultParsing, BadFaultsAreRefused) {
    for (const nlohmann::json &bad :
         {nlohmann::json{{key::kind, "meltdown"}}, nlohmann::json{{key::kind, "completion-code"}},
          nlohmann::json{{key::kind, "silence"}, {key::count, 0}}, nlohmann::json{{key::kind, "silence"}, {key::netfn, 300}},
          nlohmann::json{{key::kind, "silence"}, {key::device, "floppy"}}, nlohmann::json::array(),
          nlohmann::json{{key::kind, "delay"}}, nlohmann::json{{key::kind, "delay"}, {key::ms, 0}},
          nlohmann::json{{key::kind, "silence"}, {key::device, "bmc"}, {key::address, 0x11}},
          // What no request of the kind carries, so the fault could never fire.
          nlohmann::json{{key::kind, "fail-read"}, {key::address, 0x18}, {key::netfn, 6}},
          nlohmann::json{{key::kind, "bad-status"}, {key::address, 0x18}, {key::netfn, 6}},
          nlohmann::json{{key::kind, "driver-start-failure"}, {key::address, 0x11}},
          nlohmann::json{{key::kind, "driver-start-failure"}, {key::netfn, 0x3A}},
          nlohmann::json{{key::kind, "silence"}, {key::ms, 5}}, nlohmann::json{{key::kind, "silence"}, {key::code, 0xC1}}}) {
        SCOPED_TRACE(bad.dump());
        EXPECT_THROW(parse_fault(bad), std::runtime_error);
    }
}

}  // namespace
}  // namespace mgx::testbed
