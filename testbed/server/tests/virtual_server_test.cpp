#include "virtual_server.h"

#include <gtest/gtest.h>

#include <limits>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "control_commands.h"
#include "control_protocol.h"
#include "device_protocol.h"
#include "device_side.h"
#include "fault_plan.h"

namespace mgx::testbed {
namespace {

namespace key = control::key;

class ManualClock final : public Clock {
protected:
    std::int64_t source_ms() const override { return 1'000'000'000; }
};

std::filesystem::path shipped_profiles() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / "profiles";
}

// A server with both its ways in, as the pipes reach it.
struct TestServer {
    TestServer(std::filesystem::path profiles, StateStore store, Clock &clock)
        : machine(std::move(profiles), std::move(store), clock) {}
    DeviceReply handle(const DeviceRequest &request) { return handle_device_request(machine, request); }

    VirtualServer machine;
    ControlSide control{machine};
};

class VirtualServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = std::filesystem::temp_directory_path() / ("vserver-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    std::unique_ptr<TestServer> start() {
        return std::make_unique<TestServer>(shipped_profiles(), StateStore(directory / "state.json"), clock);
    }
    nlohmann::json command(TestServer &server, nlohmann::json request) { return run_control_command(server.control, request); }
    static DeviceReply running_time_over_imb(TestServer &server) {
        Bytes input(sizeof(MgxtbImbMessage), 0);
        input[5] = 0x3A;  // network function
        input[7] = 0x30;  // command
        return server.handle({MgxtbDeviceImb, MGXTB_IOCTL_IMB_SEND_MESSAGE, 42, input, 64});
    }

    std::filesystem::path directory;
    ManualClock clock;
};

TEST_F(VirtualServerTest, UnitStateAndProfileSurviveARestart) {
    {
        auto server = start();
        EXPECT_EQ(server->control.status()[key::profile][key::name], "intel") << "the default machine";
        server->control.use_profile("acer");
        server->control.update_unit({{key::running_hours, 4242}, {key::running_hours_fixed, true}});
    }
    auto again = start();
    nlohmann::json status = again->control.status();
    EXPECT_EQ(status[key::profile][key::name], "acer");
    EXPECT_EQ(status[key::unit][key::running_hours], 4242);
    EXPECT_TRUE(status[key::unit][key::running_hours_fixed]);
}

TEST_F(VirtualServerTest, UnitMemorySurvivesARestart) {
    const auto imb = [](std::uint8_t command, Bytes data) {
        Bytes input(sizeof(MgxtbImbMessage), 0);
        input[5] = 0x3A;
        input[7] = command;
        input[9] = static_cast<std::uint8_t>(data.size());
        input.insert(input.end(), data.begin(), data.end());
        return DeviceRequest{MgxtbDeviceImb, MGXTB_IOCTL_IMB_SEND_MESSAGE, 1, input, 64};
    };
    {
        auto server = start();
        ASSERT_EQ(server->handle(imb(0x39, {10, 0, 1, 0xDE, 0xAD})).output, (Bytes{0x00, 2}));
        ASSERT_EQ(server->handle(imb(0x42, {0})).output, Bytes{0x00});
    }
    auto again = start();
    EXPECT_EQ(again->handle(imb(0x38, {10, 0, 2})).output, (Bytes{0x00, 2, 0xDE, 0xAD}));
    EXPECT_EQ(again->handle(imb(0x41, {})).output, (Bytes{0x00, 0}));
    EXPECT_EQ(again->handle(imb(0x38, {0xFF, 0x01, 2})).output, Bytes{0xC9}) << "past the store area";
}

// A remembered state that cannot be used is kept under another name, said in the status, and
// the server starts afresh; each corruption on its own.
TEST_F(VirtualServerTest, UnusableStateIsKeptAsideAndReported) {
    struct Corruption {
        const char *name;
        std::function<std::string(const std::string &)> spoil;
        const char *problem;  // part of what the status says
    };
    const Corruption corruptions[] = {
        {"truncated", [](const std::string &good) { return good.substr(0, good.size() / 2); }, "not valid JSON"},
        {"garbage", [](const std::string &) { return std::string("\x01\xFFzz{{"); }, "not valid JSON"},
        {"empty", [](const std::string &) { return std::string(); }, "empty"},
        {"wrong type",
         [](const std::string &) { return std::string(R"({"profile": "acer", "unit": {"running_hours_base": "many"}})"); },
         "does not hold"},
        {"unknown machine", [](const std::string &) { return std::string(R"({"profile": "gone-machine", "unit": {}})"); },
         "gone-machine"},
        {"nested 30000 deep",
         [](const std::string &) {
             return R"({"profile": "acer", "unit": {"memory": )" + std::string(30000, '[') + std::string(30000, ']') + "}}";
         },
         "nested more than"},
    };
    for (const Corruption &corruption : corruptions) {
        SCOPED_TRACE(corruption.name);
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        {
            auto server = start();
            server->control.use_profile("acer");
            server->control.update_unit({{key::running_hours, 31337}, {key::running_hours_fixed, true}});
            EXPECT_TRUE(server->control.status()[key::unusable_state].is_null());
        }
        const std::filesystem::path file = directory / "state.json";
        std::string good;
        std::getline(std::ifstream(file), good, '\0');
        const std::string spoiled = corruption.spoil(good);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << spoiled;

        nlohmann::json status = start()->control.status();
        EXPECT_EQ(status[key::profile][key::name], "intel");
        const nlohmann::json &unusable = status[key::unusable_state];
        ASSERT_TRUE(unusable.is_object());
        EXPECT_NE(unusable[key::problem].get<std::string>().find(corruption.problem), std::string::npos) << unusable.dump();
        const std::filesystem::path kept = unusable[key::kept_as].get<std::string>();
        EXPECT_EQ(kept.parent_path(), directory);
        EXPECT_EQ(kept.filename().string().rfind("state.json.unusable-", 0), 0u) << kept;
        std::string kept_content;
        std::getline(std::ifstream(kept, std::ios::binary), kept_content, '\0');
        EXPECT_EQ(kept_content, spoiled) << "the old file is kept as it was";
        EXPECT_TRUE(start()->control.status()[key::unusable_state].is_null()) << "the fresh state is remembered";
    }
}

TEST_F(VirtualServerTest, StateKeptAsideTwiceInOneSecondGetsTwoNames) {
    std::ofstream(directory / "state.json") << "{";
    const std::string first = start()->control.status()[key::unusable_state][key::kept_as];
    std::ofstream(directory / "state.json", std::ios::trunc) << "[";
    const std::string second = start()->control.status()[key::unusable_state][key::kept_as];
    EXPECT_NE(first, second);
    EXPECT_TRUE(std::filesystem::exists(first) && std::filesystem::exists(second));
}

// A crash after the new state was written but before it replaced the old one leaves the old
// state in force; a save replaces the file whole and leaves nothing beside it.
TEST_F(VirtualServerTest, CrashBetweenWritingAndReplacingKeepsTheOldState) {
    {
        auto server = start();
        server->control.use_profile("acer");
        server->control.update_unit({{key::running_hours, 4242}, {key::running_hours_fixed, true}});
    }
    EXPECT_FALSE(std::filesystem::exists(directory / "state.json.new"));
    std::ofstream(directory / "state.json.new") << R"({"profile": "velmora", "unit": {"running_)";
    auto server = start();
    EXPECT_EQ(server->control.status()[key::profile][key::name], "acer");
    EXPECT_EQ(server->control.status()[key::unit][key::running_hours], 4242);
    EXPECT_TRUE(server->control.status()[key::unusable_state].is_null());
    server->control.update_unit({{key::running_hours, 5000}});
    EXPECT_FALSE(std::filesystem::exists(directory / "state.json.new"));
    EXPECT_EQ(start()->control.status()[key::unit][key::running_hours], 5000);
}

TEST_F(VirtualServerTest, EventLogIsReadFromRecordZeroAndKeptAcrossRestarts) {
    {
        auto server = start();
        server->control.use_profile("acer");
        const nlohmann::json first = command(*server, {{key::command, control::sel_entry}, {key::record_id, 0}});
        EXPECT_TRUE(first[key::found]);
        EXPECT_EQ(first[key::record_id], 1);
        EXPECT_EQ(first[key::next_record_id], 2);
        EXPECT_EQ(first[key::data].get<std::string>().substr(0, 8), "01 00 02") << "the profile's first record, with its ID";
        EXPECT_TRUE(command(*server, {{key::command, control::add_sel},
                                      {key::data, "ff ff 02 01 02 03 04 20 00 04 01 30 01 57 07 ff"}})[key::ok]);
    }
    auto server = start();
    constexpr int added_id = 16;  // after acer's fifteen
    const nlohmann::json added = command(*server, {{key::command, control::sel_entry}, {key::record_id, added_id}});
    EXPECT_EQ(added[key::data].get<std::string>().substr(0, 5), "10 00") << "its record ID set";
    EXPECT_EQ(added[key::next_record_id], 0xFFFF) << "the last";
    EXPECT_FALSE(command(*server, {{key::command, control::sel_entry}, {key::record_id, added_id + 1}})[key::found]);
    EXPECT_FALSE(command(*server, {{key::command, control::add_sel}, {key::data, "01 02"}})[key::ok]) << "records have 16 bytes";
    EXPECT_FALSE(command(*server, {{key::command, control::sel_entry}, {key::record_id, 70000}})[key::ok]);
    command(*server, {{key::command, control::clear_sel}});
    EXPECT_FALSE(command(*server, {{key::command, control::sel_entry}, {key::record_id, 0}})[key::found]);
}

TEST_F(VirtualServerTest, RunningHoursAdvanceWithTheClockUnlessFixed) {
    auto server = start();
    const std::uint32_t hours = server->control.status()[key::unit][key::running_hours];
    server->control.advance_clock(3 * 3600 * 1000);
    EXPECT_EQ(server->control.status()[key::unit][key::running_hours], hours + 3);
    server->control.update_unit({{key::running_hours, 10}, {key::running_hours_fixed, true}});
    server->control.advance_clock(3 * 3600 * 1000);
    EXPECT_EQ(running_time_over_imb(*server).output, (Bytes{0x00, 10, 0, 0, 0}));
}

// The clock never wraps round to the past: an advance its offset cannot hold is refused whole.
TEST_F(VirtualServerTest, AnAdvanceTooFarIsRefusedAndTheClockStays) {
    auto server = start();
    EXPECT_THROW(server->control.advance_clock(std::numeric_limits<std::int64_t>::max()), std::runtime_error);
    server->control.advance_clock(3600 * 1000);
    const std::uint32_t hours = server->control.status()[key::unit][key::running_hours];
    EXPECT_THROW(server->control.advance_clock(std::numeric_limits<std::int64_t>::max() - 500), std::runtime_error);
    EXPECT_EQ(server->control.status()[key::unit][key::running_hours], hours);
}

TEST_F(VirtualServerTest, HardwareTheMachineLacksDoesNotExist) {
    auto server = start();
    server->control.use_profile("acer");
    EXPECT_EQ(running_time_over_imb(*server).status, nt::device_does_not_exist);
    EXPECT_EQ(server->handle({7, 1, 1, {}, 0}).status, nt::invalid_device_request) << "unknown device";
}

TEST_F(VirtualServerTest, DriverStartFailsAsOftenAsInjected) {
    auto server = start();
    server->control.add_fault(parse_fault({{key::kind, "driver-start-failure"}, {key::device, "bmc"}, {key::count, 2}}));
    const DeviceRequest start_bmc{MgxtbDeviceBmc, MGXTB_CODE_DRIVER_START, 1, {}, 0};
    EXPECT_EQ(server->handle({MgxtbDeviceSmbus, MGXTB_CODE_DRIVER_START, 1, {}, 0}).status, nt::success);
    EXPECT_EQ(server->handle(start_bmc).status, nt::unsuccessful);
    EXPECT_EQ(server->handle(start_bmc).status, nt::unsuccessful);
    EXPECT_EQ(server->handle(start_bmc).status, nt::success);
}

TEST_F(VirtualServerTest, ExchangeLogRecordsEachRequestWithItsProcessAndBytes) {
    auto server = start();
    running_time_over_imb(*server);
    nlohmann::json entries = server->control.log(0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0][key::process_id], 42);
    EXPECT_EQ(entries[0][key::device], "imb");
    EXPECT_EQ(entries[0][key::code], "0x80112004");
    EXPECT_EQ(entries[0][key::input], "00 00 00 00 00 3a 00 30 00 00");
    EXPECT_EQ(entries[0][key::request][key::command], 0x30);
    EXPECT_EQ(entries[0][key::time_ms], clock.now_ms());
    const std::uint64_t next = entries[0][key::sequence].get<std::uint64_t>() + 1;
    EXPECT_TRUE(server->control.log(next).empty());
}

TEST_F(VirtualServerTest, SwitchingMachinesClearsFaultsLogAndUnit) {
    auto server = start();
    server->control.update_unit({{key::silent, true}});
    server->control.add_fault(parse_fault({{key::kind, "silence"}}));
    running_time_over_imb(*server);
    server->control.use_profile("intel");
    nlohmann::json status = server->control.status();
    EXPECT_FALSE(status[key::unit][key::silent]);
    EXPECT_TRUE(status[key::faults].empty());
    EXPECT_EQ(status[key::log][key::entries], 0);
}

// What the control channel loaded or set on the platform side stays until the machine is reset.
TEST_F(VirtualServerTest, LoadedRepositoryLinksAndReadingsSurviveARestartUntilReset) {
    const Bytes record = {0x07, 0x00, 0x51, 0x02, 0x19, 0x20, 0x00, 0x30, 0x07, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    Bytes dump(2 * record.size());
    std::copy(record.begin(), record.end(), std::copy(record.begin(), record.end(), dump.begin()));
    dump[record.size()] = 0x08;  // the second record's ID
    {
        auto server = start();
        server->control.use_profile("acer");
        server->control.replace_repository(dump);
        server->control.link_repository(8, 7);
        server->control.set_sensor_reading({{key::owner, 0x20}, {key::number, 0x30}, {key::raw, 99}});
    }
    auto again = start();
    const nlohmann::json platform = again->control.status()[key::platform];
    EXPECT_EQ(platform[key::repository_records], 2);
    EXPECT_EQ(platform[key::repository_links], 1);
    EXPECT_EQ(platform[key::sensors_set], 1);
    again->control.reset();
    EXPECT_EQ(again->control.status()[key::platform][key::repository_records], 43) << "the machine's own repository again";
    EXPECT_EQ(again->control.status()[key::platform][key::sensors_set], 0);
    EXPECT_THROW(again->control.replace_repository({}), std::runtime_error) << "an empty repository is refused";
    EXPECT_THROW(again->control.link_repository(999, 1), std::runtime_error);
}

// What the control pipe sets beside the repository is kept alike: the chassis status, the LCD
// panel, the faults with what is left of their counts, the clock's advance.
TEST_F(VirtualServerTest, EveryControlChangeSurvivesARestartUntilReset) {
    std::int64_t advanced_now = 0;
    {
        auto server = start();
        server->control.use_profile("intel");
        server->control.set_chassis_status({0x21, 0x10});
        server->control.add_fault(parse_fault({{key::kind, "silence"}, {key::device, "imb"}, {key::count, 2}}));
        server->control.add_fault(parse_fault({{key::kind, "delay"}, {key::ms, 5}, {key::address, 0x16}}));
        server->control.advance_clock(3'600'000);
        advanced_now = VirtualServer::Hold(server->machine).now_ms();
        EXPECT_EQ(running_time_over_imb(*server).status, nt::io_timeout) << "one of the two silences used up";
    }
    auto again = start();
    const nlohmann::json status = again->control.status();
    EXPECT_EQ(status[key::platform][key::chassis_status], "21 10");
    ASSERT_EQ(status[key::faults].size(), 2u);
    EXPECT_EQ(status[key::faults][0][key::count], 1);
    EXPECT_EQ(status[key::faults][1][key::ms], 5);
    EXPECT_EQ(VirtualServer::Hold(again->machine).now_ms(), advanced_now);
    EXPECT_EQ(running_time_over_imb(*again).status, nt::io_timeout) << "the silence left";
    EXPECT_EQ(running_time_over_imb(*again).status, nt::success);
    again->control.reset();
    EXPECT_EQ(again->control.status()[key::platform][key::chassis_status], "01 00 00");
    EXPECT_TRUE(again->control.status()[key::faults].empty());

    again->control.use_profile("acer");
    again->control.update_lcd_panel({{key::write_counter, 7}, {key::pages, {{"02 20", "Kept"}}}});
    again.reset();
    auto panel_kept = start();
    const nlohmann::json panel = panel_kept->control.status()[key::lcd_panel];
    EXPECT_EQ(panel[key::write_counter], 7);
    EXPECT_EQ(panel[key::pages]["02 20"], "Kept");
    EXPECT_EQ(panel[key::pages]["00 10"], "System ready") << "the profile's other pages stay";
    panel_kept->control.reset();
    EXPECT_FALSE(panel_kept->control.status()[key::lcd_panel][key::pages].contains("02 20"));
}

TEST_F(VirtualServerTest, ControlCommandsReportMistakesInsteadOfFailing) {
    auto server = start();
    EXPECT_TRUE(command(*server, {{key::command, control::status}})[key::ok]);
    for (const nlohmann::json &bad :
         {nlohmann::json{{key::command, "explode"}}, nlohmann::json{{"nothing", 1}},
          nlohmann::json{{key::command, control::use_profile}},
          nlohmann::json{{key::command, control::use_profile}, {key::profile, "..\\intel"}},
          nlohmann::json{{key::command, control::use_profile}, {key::profile, "absent"}},
          nlohmann::json{{key::command, control::set_unit}, {key::unit, {{key::running_hours, "many"}}}},
          nlohmann::json{{key::command, control::set_unit}, {key::unit, {{key::running_hours, -5}}}},
          nlohmann::json{{key::command, control::set_unit}, {key::unit, {{key::running_hours, 4294967296}}}},
          nlohmann::json{{key::command, control::log}, {key::since, -1}},
          nlohmann::json{{key::command, control::advance_clock}, {key::ms, -5}},
          nlohmann::json{{key::command, control::add_fault}, {key::fault, {{key::kind, "?"}}}}}) {
        SCOPED_TRACE(bad.dump());
        nlohmann::json reply = command(*server, bad);
        EXPECT_FALSE(reply[key::ok]);
        EXPECT_FALSE(reply.value(key::error, "").empty());
    }
    EXPECT_EQ(server->control.status()[key::profile][key::name], "intel") << "a refused command changes nothing";
}

}  // namespace
}  // namespace mgx::testbed
