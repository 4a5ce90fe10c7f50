// mgxtool end to end: the real program, run as separate processes against the virtual server,
// with what reached the unit read from the exchange log.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <halcore/halcore.h>
#include <halcore/mgx_call.h>
#include <halcore/status_codes.h>

#include "device_client.h"
#include "programs.h"
#include "text/hex.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {
namespace {

using nlohmann::json;

struct ToolRun {
    int exit_code;
    json document;  // null when it printed no JSON
};

ToolRun run_json(const char *program, const std::string &arguments) {
    const ProgramRun run = run_program(program, "--json " + arguments);
    return {run.exit_code, json::parse(run.output, nullptr, false)};
}
ToolRun mgxtool(const std::string &arguments) { return run_json("mgxtool.exe", arguments); }
// The testbed's own program steers the virtual server.
ToolRun mgxtb(const std::string &arguments) { return run_json("mgxtb.exe", arguments); }
// A command line of either program, named by its first word.
ToolRun run_line(const std::string &line) { return line.starts_with("mgxtb ") ? mgxtb(line.substr(6)) : mgxtool(line); }

// Requests to the unit (not lock or unlock requests), in the order they reached it.
std::vector<json> unit_requests(const json &entries) {
    std::vector<json> requests;
    for (const json &entry : entries)
        if (entry.contains(control_key::request)) requests.push_back(entry[control_key::request]);
    return requests;
}

class MgxtoolTest : public TestbedTest {
protected:
    void SetUp() override { use("acer"); }
};

// A machine like acer whose event log holds `records` records (its own repeated), as profile
// `name` beside the shipped ones.
void use_long_event_log(const char *name, std::size_t records) {
    const std::filesystem::path folder = "C:\\mgxtestbed\\profiles";
    json profile = json::parse(std::ifstream(folder / "acer.json"));
    const json own = profile["unit"]["event_log"];
    json log = json::array();
    while (log.size() < records) log.push_back(own[log.size() % own.size()]);
    profile["name"] = name;
    profile["unit"]["event_log"] = log;
    std::ofstream(folder / (std::string(name) + ".json")) << profile.dump();
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, name}});
}

Bytes store_pattern() {
    Bytes pattern(506);
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return pattern;
}

// Several runs at once on the SMBus machine share the driver's lock (one owner name): each run
// holds the unit from Halcore's start to its shut-down, so no run's requests fall between
// another's and every answer is the right one.
TEST_F(MgxtoolTest, ConcurrentRunsOnTheSmbusMachineEachGetTheirOwnAnswers) {
    const Bytes pattern = store_pattern();
    ASSERT_EQ(mgxtool("store write 0 \"" + text::to_hex(pattern) + "\"").exit_code, 0);
    control_request(mgx::testbed::control::clear_log);

    constexpr int runs = 8;
    std::vector<std::unique_ptr<RunningProgram>> running;
    for (int run = 0; run < runs; ++run) {
        const std::wstring command =
            L"\"" + beside_this_program("mgxtool.exe").wstring() + L"\" --json store read " + std::to_wstring(run * 61) + L" 16";
        running.push_back(std::make_unique<RunningProgram>(command));
    }
    for (int run = 0; run < runs; ++run) {
        SCOPED_TRACE(run);
        const ProgramRun result = running[run]->finish();
        ASSERT_EQ(result.exit_code, 0) << result.output << " (start error " << result.start_error << ")";
        const json document = json::parse(result.output, nullptr, false);
        const std::size_t offset = static_cast<std::size_t>(run) * 61;
        EXPECT_EQ(document["data"], text::to_hex(std::span(pattern.data() + offset, 16)));
    }
    // Each run's device requests form one unbroken stretch of the log.
    std::vector<std::uint32_t> order;
    for (const json &entry : log())
        if (order.empty() || order.back() != entry[control_key::process_id]) order.push_back(entry[control_key::process_id]);
    EXPECT_EQ(order.size(), static_cast<std::size_t>(runs)) << "runs interleaved";
    EXPECT_EQ(std::set<std::uint32_t>(order.begin(), order.end()).size(), order.size());
}

// Reading a long event log leaves the unit to other runs: the sensors are named first, then the
// session ends, so a metrics run meanwhile reads the unit and keeps to its budget.
TEST_F(MgxtoolTest, ReadingTheEventLogLeavesTheUnitToOtherRuns) {
    use_long_event_log("sel-long", 20000);
    RunningProgram sel(L"\"" + beside_this_program("mgxtool.exe").wstring() + L"\" sel --last 1");
    const auto started = std::chrono::steady_clock::now();
    const ProgramRun metrics = run_program("mgxtool.exe", "metrics --timeout 10");
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(sel.running()) << "the event log was still being read";
    EXPECT_NE(metrics.output.find("mgx_up{collector=\"unit\"} 1"), std::string::npos) << metrics.output;
    EXPECT_NE(metrics.output.find("mgx_up{collector=\"sensors\"} 1"), std::string::npos);
    EXPECT_LT(took, std::chrono::seconds(10 + 30)) << "the budget of 10 s and a margin for a busy machine";
    const ProgramRun listed = sel.finish();
    EXPECT_EQ(listed.exit_code, 0);
    EXPECT_NE(listed.output.find("20000 |"), std::string::npos) << listed.output;

    // The next listing goes on from the copy the first one kept: the first and the last record
    // are read to see that the log still goes on from it, then only what was added.
    const auto reads = [] {
        return control_request(mgx::testbed::control::status)[control_key::event_log_reads].get<std::uint64_t>();
    };
    const struct {
        const char *line;
        std::uint64_t records_read;
        const char *newest;
    } listings[] = {{"sel --last 1", 2, "20000 |"},
                    {"mgxtb sel add", 0, nullptr},
                    {"sel --last 1", 3, "20001 |"},
                    {"sel --last 1 --fresh", 20001, "20001 |"}};
    for (const auto &listing : listings) {
        SCOPED_TRACE(listing.line);
        if (!listing.newest) {
            control_request(mgx::testbed::control::add_sel,
                            {{control_key::data, "00 00 02 00 00 00 00 20 00 04 01 01 01 59 5c 5a"}});
            continue;
        }
        const std::uint64_t before = reads();
        const ProgramRun again = run_program("mgxtool.exe", listing.line);
        EXPECT_EQ(reads() - before, listing.records_read);
        EXPECT_NE(again.output.find(listing.newest), std::string::npos) << again.output;
    }
    use("acer");
}

// Every writing command says what it did in words: what it changed from what to what, that a
// value already held, or with --check what it would change; a refused number names its field.
TEST_F(MgxtoolTest, WritingCommandsSayWhatTheyChanged) {
    std::filesystem::remove("C:\\ProgramData\\Uptiva\\changes.log");
    const struct {
        const char *line;
        const char *said;
    } runs[] = {
        {"safe-mode --set on", "the safe power-off mode"},
        {"safe-mode --set off", "changed the safe power-off mode from on to off"},
        {"safe-mode --set off", "the safe power-off mode already off, nothing written"},
        {"safe-mode --set on --check", "would change the safe power-off mode from off to on"},
        {"boot-monitoring --post on --post-timeout 30 --check",
         "would change POST monitoring from on, 10 min, 1 retries to on, 30 min, 1 retries"},
        {"boot-monitoring", "POST monitoring time is abnormal. Set initial value. (the unit holds 600 s"},
        {"system-info --set 1=Rack4", "changed system information entry 1 from"},
        {"store write 2 \"01 02\"", "changed store area bytes 2 to 3 from"},
        {"fru --unit write 0 4 \"aa bb\"", "changed FRU bytes 4 to 5 from"},
        {"panel set --text Hello", "changed the front panel from"},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.line);
        const ProgramRun result = run_program("mgxtool.exe", run.line);
        EXPECT_EQ(result.exit_code, 0) << result.output;
        EXPECT_NE(result.output.find(run.said), std::string::npos) << result.output;
    }
    // The change log holds what was written, newest first, and nothing a --check only foresaw.
    std::vector<std::string> logged;
    for (const json &record : mgxtool("log show").document) logged.push_back(record["message"]);
    ASSERT_FALSE(logged.empty());
    EXPECT_NE(logged.front().find("| mgxtool | the front panel: "), std::string::npos) << logged.front();
    const auto turned_off = std::find_if(logged.begin(), logged.end(), [](const std::string &line) {
        return line.ends_with("| mgxtool | the safe power-off mode: on -> off");
    });
    ASSERT_NE(turned_off, logged.end());
    EXPECT_TRUE(std::none_of(logged.begin(), turned_off, [](const std::string &line) {
        return line.find("off -> on") != std::string::npos;
    })) << "the --check run wrote nothing";
    const ProgramRun refused = run_program("mgxtool.exe", "boot-monitoring --os-boot-retries 7", Captured::OutputAndErrors);
    EXPECT_NE(refused.output.find("--os-boot-retries: enter 1 to 5 (7 is out of range)"), std::string::npos) << refused.output;
}

// A run in another logon session holds the machine-wide mutex: this run waits for it, saying
// so, and sends nothing meanwhile; metrics keeps to its time budget with every unit value NaN.
TEST_F(MgxtoolTest, RunsInOtherSessionsKeepTheUnitMachineWide) {
    win32::UniqueHandle other_session(CreateMutexW(nullptr, TRUE, L"Global\\MgxToolUnitAccess"));
    ASSERT_TRUE(other_session);
    control_request(mgx::testbed::control::clear_log);
    const auto started = std::chrono::steady_clock::now();
    const ProgramRun metrics = run_program("mgxtool.exe", "metrics --timeout 5");
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(metrics.exit_code, 0);
    EXPECT_NE(metrics.output.find("mgx_up{collector=\"unit\"} 0"), std::string::npos) << metrics.output;
    EXPECT_NE(metrics.output.find("mgx_server_running_seconds NaN"), std::string::npos);
    EXPECT_LT(took, std::chrono::seconds(5 + 30)) << "the budget of 5 s and a margin for a busy machine";

    RunningProgram waiting(L"\"" + beside_this_program("mgxtool.exe").wstring() + L"\" running-hours", {},
                           Captured::OutputAndErrors);
    ASSERT_TRUE(waiting.wait_for_output("waiting for another mgxtool run"));
    EXPECT_TRUE(unit_requests(log()).empty()) << "nothing reached the unit while the other run held it";
    ReleaseMutex(other_session.get());
    EXPECT_EQ(waiting.finish().exit_code, 0);
    EXPECT_FALSE(unit_requests(log()).empty());
}

// Another account (LocalService here) created the machine-wide mutex first, open to everyone: a
// run refuses it at once instead of waiting on whoever holds it, and metrics still replaces its
// file, the unit down and its values NaN, the event log read all the same.
TEST_F(MgxtoolTest, AMutexPlantedByAnotherAccountIsRefusedAtOnce) {
    PSECURITY_DESCRIPTOR planted_by_local_service = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:LSD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                     &planted_by_local_service, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, planted_by_local_service, FALSE};
    win32::UniqueHandle planted(CreateMutexW(&attributes, TRUE, L"Global\\MgxToolUnitAccess"));
    LocalFree(planted_by_local_service);
    ASSERT_TRUE(planted);
    const auto started = std::chrono::steady_clock::now();
    const ProgramRun refused = run_program("mgxtool.exe", "running-hours", Captured::OutputAndErrors);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << "no wait on the planted mutex";
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_NE(refused.output.find("created by another account (owner S-1-5-19)"), std::string::npos) << refused.output;

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("planted-" + std::to_string(GetCurrentProcessId()) + ".prom");
    std::ofstream(file) << "mgx_up{collector=\"unit\"} 1\n";
    const ProgramRun metrics = run_program("mgxtool.exe", "metrics --output \"" + file.string() + "\"");
    EXPECT_NE(metrics.exit_code, 0);
    std::ifstream written(file);
    const std::string text{std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()};
    written.close();
    EXPECT_NE(text.find("mgx_up{collector=\"unit\"} 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mgx_server_running_seconds NaN\n"), std::string::npos);
    EXPECT_NE(text.find("mgx_sel_entries 15\n"), std::string::npos) << "the event log needs no lock";
    std::filesystem::remove(file);
    std::filesystem::remove(file.string() + ".sel-tally");
}

// Every value a subcommand takes, given empty, negative, not a number or out of its range, is
// refused before the library starts: not one device request.
TEST_F(MgxtoolTest, RejectedCommandLinesSendNothingToAnyDevice) {
    const json hours = control_request(mgx::testbed::control::status)[control_key::unit][control_key::running_hours];
    control_request(mgx::testbed::control::clear_log);
    const struct {
        const char *command;  // % stands for the value
        std::vector<const char *> out_of_range;
    } values[] = {
        {"fru info %", {"256"}},
        {"fru read % 0 4", {"256"}},
        {"fru read 0 % 4", {"65536"}},
        {"fru read 0 0 %", {"0", "25"}},
        {"fru write % 0 41", {"256"}},
        {"fru write 0 % 41", {"65536"}},
        {"fan set % 7", {"256"}},
        {"fan set 1 %", {"65536"}},
        {"fan status %", {"256"}},
        {"panel set --device %", {"256"}},
        {"panel set --mode %", {"8"}},
        {"panel set --row %", {"2"}},
        {"panel set --column %", {"16"}},
        {"sensors --type %", {"0", "255"}},
        {"sensor % 1", {"0", "255"}},
        {"sensor 1 %", {"0"}},
        {"rci device %", {"0", "256"}},
        {"rci unit % 1", {"0", "256"}},
        {"rci unit 1 %", {"0", "256"}},
        {"boot-monitoring --post-timeout %", {"14", "1000"}},
        {"boot-monitoring --os-boot-retries %", {"0", "6"}},
        {"store read % 16", {"506"}},
        {"store read 0 %", {"507"}},
        {"store write % 41", {"506"}},
        {"lifetime --set-hours % --hours 5", {"3"}},
        {"lifetime --set-hours 0 --hours %", {"2147483648"}},
        {"lifetime --set-date % --date 2020/01/01", {"0", "18"}},
        {"raw 0x3a %", {"256"}},
        {"mgxtb fault add silence --count %", {"0"}},
        {"mgxtb sensor 0x20 % --raw 1", {"256"}},
        {"mgxtb log --since %", {}},
        {"mgxtb unit --running-hours %", {"4294967296"}},
    };
    for (const auto &[command, out_of_range] : values) {
        std::vector<std::string> bad = {"''", "-1", "x", "1x", "0x"};
        bad.insert(bad.end(), out_of_range.begin(), out_of_range.end());
        for (const std::string &value : bad) {
            std::string line = command;
            line.replace(line.find('%'), 1, value);
            SCOPED_TRACE(line);
            EXPECT_NE(run_line(line).exit_code, 0);
        }
    }
    for (const char *rejected :
         {"store write 0 \"\"", "store write 0 zz", "no-such-command", "lifetime --set-hours 0", "lifetime --hours 5",
          "lifetime --date 2020/01/01", "lifetime --set-date 3", "lifetime --set-date 1 --date 2020/13/45",
          "lifetime --set-date 1 --date 2021/02/31", "lifetime --set-date 1 --date 0000/00/00", "mgxtb unit --silent ''"}) {
        SCOPED_TRACE(rejected);
        EXPECT_NE(run_line(rejected).exit_code, 0);
    }
    const json entries = log();
    EXPECT_TRUE(entries.empty()) << entries.dump(1).substr(0, 3000);
    EXPECT_EQ(control_request(mgx::testbed::control::status)[control_key::unit][control_key::running_hours], hours)
        << "the unit's counter is untouched";
}

// Loading Bmc.dll maps the firmware's table through the BMC driver; on an IMB machine only the
// subcommand that reads the table may do that.
TEST_F(MgxtoolTest, OnlyTheSmbiosSubcommandLoadsTheBmcLibrary) {
    use("intel");
    const auto map_requests = [this] {
        const json entries = log();
        return std::count_if(entries.begin(), entries.end(),
                             [](const json &entry) { return entry[control_key::code] == "0x80002038"; });
    };
    ASSERT_EQ(mgxtool("running-hours").exit_code, 0);
    EXPECT_EQ(map_requests(), 0) << "a subcommand that needs no SMBIOS table maps none";
    ASSERT_EQ(mgxtool("smbios").exit_code, 0);
    EXPECT_EQ(map_requests(), 1);
}

// The event log through Halcore's export and the event log library, from record ID 0 on.
TEST_F(MgxtoolTest, EventLogListsEveryRecordAndFollowsItsChanges) {
    ToolRun listed = mgxtool("sel --raw");
    ASSERT_EQ(listed.exit_code, 0);
    constexpr std::size_t profile_records = 15;
    ASSERT_EQ(listed.document["records"].size(), profile_records) << "the acer profile's records";
    EXPECT_EQ(listed.document["records"][2]["record_id"], 3);
    ASSERT_EQ(mgxtb("sel add \"00 00 02 00 00 00 00 20 00 04 02 32 01 59 08 ff\"").exit_code, 0);
    listed = mgxtool("sel --last 1 --raw");
    ASSERT_EQ(listed.document["records"].size(), 1u);
    EXPECT_EQ(listed.document["records"][0]["data"], "10 00 02 00 00 00 00 20 00 04 02 32 01 59 08 ff");
    ASSERT_EQ(mgxtb("sel clear").exit_code, 0);
    listed = mgxtool("sel");
    EXPECT_EQ(listed.exit_code, 0);
    EXPECT_TRUE(listed.document["records"].empty());
}

// The event log library is loaded from mgxtool's own folder: a copy elsewhere without it says
// which library is missing and where it must lie, not a bare status.
TEST_F(MgxtoolTest, AMissingEventLogLibraryIsNamedWithItsFolder) {
    const json listed = run_copy_named("mgxtool.exe", "mgxtool.exe", "--json sel --fresh");
    ASSERT_TRUE(listed.is_object());
    EXPECT_EQ(listed["status"], hal::status::sfs_load_failed);
    const std::string missing = listed.value("missing", "");
    EXPECT_NE(missing.find("sfs.dll, the server's event-log library"), std::string::npos) << missing;
    EXPECT_NE(missing.find("must lie beside mgxtool.exe, in C:\\"), std::string::npos) << missing;
}

// The records decoded as the standard tools show them: the sensor's name and the triggers in real
// units where the library read the sensor's record, none of them where it did not.
TEST_F(MgxtoolTest, EventLogShowsEachRecordsMeaningNameAndTriggers) {
    ProgramRun text = run_program("mgxtool.exe", "sel --last 15");
    ASSERT_EQ(text.exit_code, 0);
    std::erase(text.output, '\r');
    for (const char *line :
         {"    1 | 2026-11-28 09:12:05 UTC | Temperature CPU1 Temp (3.1) | Upper Critical going high | Asserted | critical | "
          "reading 92 degrees C > threshold 90 degrees C\n",
          "    2 | 2026-11-28 09:20:41 UTC | Temperature CPU1 Temp (3.1) | Upper Critical going high | Deasserted | nominal | "
          "reading 88 degrees C < threshold 90 degrees C\n",
          "    9 | 00:00:42 since initialisation | System Event System Event (34.1) | Timestamp Clock Synch |",
          "   10 | unspecified | Event Logging Disabled Event Log (34.1) | Log Area Reset/Cleared |",
          "   12 | 2026-12-03 06:00:00 UTC | Processor CPU Status (3.1) | Processor offset 0x0E (no text) |",
          "   13 | 2026-12-03 06:00:01 UTC | Voltage #0x05 | Upper Non-critical going high | Asserted | warning | "
          "reading raw 0xC8 > threshold raw 0xBE\n",
          "   14 | 2026-12-04 10:00:00 UTC | OEM record 0xC1 | manufacturer 0x002A7C | de ad be ef 01 02\n",
          "   15 | - | OEM record 0xE0 | 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d\n"})
        EXPECT_NE(text.output.find(line), std::string::npos) << line << "\nin\n" << text.output;

    const json records = mgxtool("sel").document["records"];
    ASSERT_EQ(records.size(), 15u);
    const json &voltage = records[2];
    EXPECT_EQ(voltage["sensor_name"], "12V");
    EXPECT_EQ(voltage["sensor_type_name"], "Voltage");
    EXPECT_EQ(voltage["direction"], "assertion");
    EXPECT_EQ(voltage["severity"], "warning");
    EXPECT_DOUBLE_EQ(voltage["trigger_reading"].get<double>(), 10.395) << "raw 165 at 63 mV";
    EXPECT_DOUBLE_EQ(voltage["trigger_threshold"].get<double>(), 10.773);
    EXPECT_EQ(voltage["unit"], "V");
    EXPECT_EQ(voltage["timestamp"], 1795917790);
    EXPECT_EQ(records[6]["previous_state"], 0);
    EXPECT_TRUE(records[8]["timestamp"].is_null()) << "counted from the controller's start";
    EXPECT_EQ(records[8]["seconds_since_initialisation"], 42);
    EXPECT_TRUE(records[9]["timestamp"].is_null());
    EXPECT_FALSE(records[12].contains("sensor_name")) << "a controller whose sensors the library never read";
    EXPECT_FALSE(records[12].contains("trigger_reading"));
    EXPECT_EQ(records[12]["trigger_reading_raw"], 0xC8) << "the bytes, where there is no unit to put them in";
    EXPECT_EQ(voltage["trigger_threshold_raw"], 171);
    EXPECT_EQ(records[13]["manufacturer_id"], 0x2A7C);
    EXPECT_EQ(records[13]["oem_data"], "de ad be ef 01 02");
    EXPECT_FALSE(records[14].contains("timestamp"));
    for (const json &record : records) {
        if (record["record_type"] == 2) {
            EXPECT_FALSE(record["event"].get<std::string>().empty());
        }
    }

    use("intel");
    ASSERT_EQ(mgxtb("sel add \"00 00 02 00 00 00 70 20 00 04 01 01 01 59 5c 5a\"").exit_code, 0);
    const json forwarded = mgxtool("sel").document["records"].back();
    EXPECT_EQ(forwarded["event"], "Upper Critical going high");
    EXPECT_FALSE(forwarded.contains("trigger_reading")) << "the sensor library converts no raw readings";
}

// An event names its sensor by owner ID, LUN and number: three sensors share number 0x30, and
// each event gets its own sensor's name and trigger values. Halcore's catalogue leaves
// software-owned sensors out, so the software generator's event names none, not another's.
TEST_F(MgxtoolTest, EveryEventFindsItsSensorByOwnerLunAndNumber) {
    const std::string dump = (std::filesystem::temp_directory_path() / "mgxtool-owners.sdr").string();
    const std::string source = beside_this_program("profiles/sources/owners-and-luns.sdr.json").string();
    ASSERT_EQ(run_program("vserver.exe", "encode-sdr \"" + source + "\" \"" + dump + "\"").exit_code, 0);
    ASSERT_EQ(mgxtb("sdr load \"" + dump + "\"").exit_code, 0);
    std::filesystem::remove(dump);
    ASSERT_EQ(mgxtb("sel clear").exit_code, 0);
    const struct {
        const char *generator;  // the generator ID's two bytes
        const char *raw_reading;
        const char *name;  // "": no catalogued sensor
        double reading;    // its sensor's conversion: LUN 1's reads twice its raw value
    } events[] = {{"41 00", "2d", "", 0}, {"20 01", "2e", "Temp LUN1", 92}, {"20 00", "2f", "Temp LUN0", 47}};
    for (const auto &event : events)
        ASSERT_EQ(mgxtb(std::string("sel add \"00 00 02 00 00 00 00 ") + event.generator + " 04 01 30 01 59 " +
                        event.raw_reading + " 28\"")
                      .exit_code,
                  0);
    const json records = mgxtool("sel").document["records"];
    ASSERT_EQ(records.size(), std::size(events));
    for (std::size_t i = 0; i < std::size(events); ++i) {
        SCOPED_TRACE(events[i].name);
        EXPECT_EQ(records[i].value("sensor_name", ""), events[i].name);
        EXPECT_EQ(records[i].contains("trigger_reading"), *events[i].name != '\0');
        EXPECT_DOUBLE_EQ(records[i].value("trigger_reading", 0.0), events[i].reading);
    }
}

// The filters an administrator reaches for after an alarm, and what the log holds.
TEST_F(MgxtoolTest, EventLogFiltersByTimeSeverityAndType) {
    const auto ids = [](const std::string &arguments) {
        std::vector<int> found;
        const json listed = mgxtool("sel " + arguments).document;
        for (const json &record : listed["records"]) found.push_back(record["record_id"]);
        return found;
    };
    EXPECT_EQ(ids("--severity critical"), (std::vector<int>{1, 4, 6, 11}));
    EXPECT_EQ(ids("--since 2026-12-01 --until 2026-12-03T06:00"), (std::vector<int>{8, 11, 12}))
        << "both ends inclusive, records without a date left out";
    EXPECT_EQ(ids("--type voltage --last 1"), (std::vector<int>{13})) << "the newest match";
    for (const char *refused : {"--since 2026-02-31", "--since yesterday", "--until 24x", "--since 100000d", "--severity bad"})
        EXPECT_NE(mgxtool(std::string("sel ") + refused).exit_code, 0) << refused;
    const json info = mgxtool("sel info").document;
    EXPECT_EQ(info["entries"], 15);
    EXPECT_EQ(info["undated_entries"], 3);
    EXPECT_EQ(info["first_timestamp"], 1795857125);
    EXPECT_TRUE(info["capacity"].is_null()) << "the library does not tell it";
}

// Halcore loads the event log library from mgxtool's folder; the run's own folder is back before
// the metrics file is written, so a relative path lands where the run was started.
TEST_F(MgxtoolTest, MetricsWithARelativeOutputWriteIntoTheFolderTheRunStartedIn) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("metrics-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::wstring command = L"\"" + beside_this_program("mgxtool.exe").wstring() + L"\" metrics --output unit.prom";
    RunningProgram run(command, folder.wstring());
    EXPECT_EQ(run.finish().exit_code, 0);
    std::string text;
    {
        std::ifstream written(folder / "unit.prom");
        text.assign(std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(text.find("mgx_sel_entries 15\n"), std::string::npos);
    EXPECT_NE(text.find("mgx_sel_events_count_by_state{state=\"critical\"} 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mgx_sel_events_count_by_state{state=\"warning\"} 4\n"), std::string::npos);
    EXPECT_NE(text.find("mgx_sel_events_count_by_state{state=\"nominal\"} 5\n"), std::string::npos);
    EXPECT_NE(text.find("mgx_sel_latest_event_timestamp_seconds 1796378400\n"), std::string::npos);
    EXPECT_NE(text.find("mgx_sel_latest_critical_record_id 11\n"), std::string::npos) << "the watchdog's hard reset";
    EXPECT_FALSE(std::filesystem::exists(beside_this_program("unit.prom"))) << "nothing beside mgxtool";
    std::filesystem::remove_all(folder);
}

// Paths and texts reach the programs whole, whatever the ANSI code page holds: metrics writes
// into folders named with an umlaut and in Japanese, and the testbed refuses a page text that
// its panel cannot show, saying why.
TEST_F(MgxtoolTest, PathsAndTextsBeyondTheAnsiCodePageArriveWhole) {
    for (const std::wstring name : {L"T\u00fc", L"\u8a08\u6e2c"}) {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / name, file = folder / L"u.prom";
        std::filesystem::create_directories(folder);
        RunningProgram run(L"\"" + beside_this_program("mgxtool.exe").wstring() + L"\" metrics --output \"" + file.wstring() +
                           L"\"");
        EXPECT_EQ(run.finish().exit_code, 0);
        EXPECT_TRUE(std::filesystem::exists(file)) << "in the folder named " << folder.u8string().size() << " bytes long";
        std::filesystem::remove_all(folder);
    }
    RunningProgram page(L"\"" + beside_this_program("mgxtb.exe").wstring() + L"\" lcd --page \"00 00=\u00dcber\"", {},
                        Captured::OutputAndErrors);
    const ProgramRun refused = page.finish();
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_NE(refused.output.find("printable ASCII"), std::string::npos) << refused.output;
}

// The LCD panel controller and RCI chain at SMBus address 0x18, as the acer profile has them.
TEST_F(MgxtoolTest, PanelAndRciChainShowTheDevicesAnswers) {
    const ToolRun display = mgxtool("lcd display");
    ASSERT_EQ(display.exit_code, 0);
    EXPECT_EQ(display.document["lines"], json::array({"GK7 Tower 700   ", "System ready    "}));
    ASSERT_EQ(mgxtb("lcd --page \"00 00=\" --page \"00 10=\" --page \"01 00=Disk 2 rebuild\"").exit_code, 0);
    EXPECT_EQ(mgxtool("lcd display").document["lines"][0], "Disk 2 rebuild  ") << "the first selector is blank now";

    const ToolRun nodes = mgxtool("rci nodes");
    ASSERT_EQ(nodes.exit_code, 0);
    EXPECT_EQ(nodes.document["nodes"], 2);
    EXPECT_EQ(nodes.document["devices"][1]["answer"]["data"], "02 00 52 43 49 2d 46 41 4e 20 00 01");
    const ToolRun unit = mgxtool("rci unit 1 2");
    EXPECT_EQ(unit.document["answer"]["data"], "02 01 00 50");
    EXPECT_EQ(unit.document["answer"]["device_status"], 0x30);
    EXPECT_EQ(mgxtool("lcd info").document["answer"]["command"], 0xC0);

    const ToolRun missing = mgxtool("rci device 9");
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_EQ(missing.document["status"], 2);
    EXPECT_EQ(missing.document["meaning"], "the device reported error code 2");
    ASSERT_EQ(mgxtb("fault add bad-status --address 0x18 --count 1").exit_code, 0);
    EXPECT_EQ(mgxtool("lcd log").document["status"], hal::status::smb_answer_wrong);

    use("intel");
    const ToolRun elsewhere = mgxtool("lcd display");
    EXPECT_EQ(elsewhere.exit_code, 1);
    EXPECT_EQ(elsewhere.document["status"], hal::status::interface_unavailable);
}

// Sensors and FRU inventory through the query exports, and a repository loaded from a dump.
// As an administrator reads them after an alarm: type names, readings in their units first, all
// six thresholds, discrete states by name, --type by name; the second power supply failing tells
// itself apart from the first in the event log.
TEST_F(MgxtoolTest, SensorsAndEventsReadAsTheStandardToolsListThem) {
    ASSERT_EQ(mgxtb("sensor 0x2c 0x41 --states 3").exit_code, 0);
    ProgramRun text = run_program("mgxtool.exe", "sensors");
    ASSERT_EQ(text.exit_code, 0);
    std::erase(text.output, '\r');
    for (const char *line :
         {"Temperature (type 1, 8 sensors)\n",
          "  1  CPU1 Temp          #0x01  3.1    38 degrees C     nominal   lnr 0  lcr 5  lnc 10  unc 80  ucr 90  unr 95\n",
          "  1  FAN1               #0x30  29.1   4800 RPM         nominal   lnr na  lcr 1000  lnc 1500  unc na",
          "  1  PS Status          #0x40  10.1   no state asserted ",
          "  2  PS Status          #0x41  10.2   Presence detected, Power Supply Failure detected  critical\n",
          "  1  PS1 Input Power    #0x12  10.1   220 W            nominal "})
        EXPECT_NE(text.output.find(line), std::string::npos) << line << "\nin\n" << text.output;
    const ToolRun by_name = mgxtool("sensors --type power-supply");
    ASSERT_EQ(by_name.exit_code, 0);
    EXPECT_EQ(by_name.document["types"][0]["type"], 8);
    EXPECT_EQ(by_name.document["types"][0]["sensors"][1]["value"]["state_texts"][1], "Power Supply Failure detected");
    EXPECT_NE(mgxtool("sensors --type warp-drive").exit_code, 0);
    const ToolRun inventory = mgxtool("inventory");
    EXPECT_EQ(inventory.document["power_supplies"][1]["sensor_number"], 0x41) << "which supply the record belongs to";
    EXPECT_EQ(inventory.document["power_supplies"][1]["entity_instance"], 2);

    ASSERT_EQ(mgxtb("sel clear").exit_code, 0);
    for (const char *number : {"40", "41"})
        ASSERT_EQ(mgxtb(std::string("sel add \"00 00 02 00 00 00 00 2c 00 04 08 ") + number + " 6f 01 ff ff\"").exit_code, 0);
    ProgramRun events = run_program("mgxtool.exe", "sel");
    std::erase(events.output, '\r');
    for (const char *line : {"Power Supply PS Status (10.1) | Power Supply Failure detected",
                             "Power Supply PS Status (10.2) | Power Supply Failure detected"})
        EXPECT_NE(events.output.find(line), std::string::npos) << line << "\nin\n" << events.output;
}

TEST_F(MgxtoolTest, SensorsAndInventoryShowTheRepositoryAndFruTexts) {
    const ToolRun sensors = mgxtool("sensors --type 1");
    ASSERT_EQ(sensors.exit_code, 0);
    const json &temperature = sensors.document["types"][0]["sensors"][0];
    EXPECT_EQ(temperature["name"], "CPU1 Temp");
    EXPECT_EQ(temperature["value"]["scaled"], 380);
    EXPECT_DOUBLE_EQ(temperature["value"]["real"].get<double>(), 38.0);
    EXPECT_EQ(temperature["values"]["upper_critical"]["scaled"], 900);
    ASSERT_EQ(mgxtb("sensor 0x20 0x23 --raw 200").exit_code, 0);
    EXPECT_EQ(mgxtool("sensor 2 4").document["sensor"]["value"]["scaled"], 5200) << "5V: raw 200 at 26 mV";

    const ToolRun inventory = mgxtool("inventory");
    ASSERT_EQ(inventory.exit_code, 0);
    EXPECT_EQ(inventory.document["general"][0]["manufacturer"], "ACER");
    EXPECT_EQ(inventory.document["general"][1]["name"], "GK7 Tower 700");
    EXPECT_EQ(inventory.document["chassis"]["name"], "System Chassis");
    EXPECT_EQ(mgxtool("chassis-security").document["words"][3], 4);

    // One temperature sensor reading in degrees F, as another machine's dump might hold it.
    Bytes record(5 + 52, 0);
    record[0] = 7;
    record[2] = 0x51;
    record[3] = 0x01;
    record[4] = 52;
    record[5] = 0x20;
    record[7] = 0x09;
    record[12] = 0x01;
    record[13] = 0x01;
    record[21] = 2;
    record[24] = 2;
    record[31] = 20;
    record[47] = 0xC8;
    std::memcpy(&record[48], "Inlet T1", 8);
    const std::string dump = (std::filesystem::temp_directory_path() / "mgxtool-test.sdr").string();
    {
        std::ofstream file(dump, std::ios::binary);
        file.write(reinterpret_cast<const char *>(record.data()), static_cast<std::streamsize>(record.size()));
    }
    ASSERT_EQ(mgxtb("sdr load \"" + dump + "\"").exit_code, 0);
    const ToolRun loaded = mgxtool("sensors");
    std::filesystem::remove(dump);
    ASSERT_EQ(loaded.document["types"].size(), 1u);
    EXPECT_EQ(loaded.document["types"][0]["sensors"][0]["name"], "Inlet T1");
    EXPECT_EQ(loaded.document["types"][0]["sensors"][0]["value"]["scaled"], 400);
    EXPECT_EQ(loaded.document["types"][0]["sensors"][0]["value"]["unit"], "degrees F") << "the record's own unit";
}

// A repository in the layout current controllers use (compact records of version 0x51), made by
// the testbed's encoder from a readable source: names, shared slots, a one's-complement reading
// and a name that is not UTF-8, in JSON and in text.
TEST_F(MgxtoolTest, RepositoryOfAnIpmi2ControllerShowsItsNamesAndValues) {
    const std::string dump = (std::filesystem::temp_directory_path() / "mgxtool-ipmi2.sdr").string();
    const std::string source = beside_this_program("profiles/sources/ipmi2-sample.sdr.json").string();
    ASSERT_EQ(run_program("vserver.exe", "encode-sdr \"" + source + "\" \"" + dump + "\"").exit_code, 0);
    ASSERT_EQ(mgxtb("sdr load \"" + dump + "\"").exit_code, 0);
    std::filesystem::remove(dump);

    const ToolRun sensors = mgxtool("sensors");
    ASSERT_EQ(sensors.exit_code, 0);
    std::map<int, json> by_type;
    for (const json &type : sensors.document["types"]) by_type[type["type"].get<int>()] = type["sensors"];
    ASSERT_EQ(by_type[1].size(), 2u);
    EXPECT_EQ(by_type[1][0]["name"], "Inlet Temp");
    EXPECT_EQ(by_type[1][0]["value"]["scaled"], 240);
    EXPECT_EQ(by_type[1][1]["value"]["scaled"], -10) << "0xFE in one's complement is -1";
    ASSERT_EQ(by_type[8].size(), 2u) << "a shared compact record: two slots";
    EXPECT_EQ(by_type[8][1]["name"], "PS Status");
    ASSERT_EQ(by_type[12].size(), 4u);
    for (const json &slot : by_type[12]) EXPECT_EQ(slot["name"], "DIMM") << "four slots share one description";
    EXPECT_EQ(by_type[9][0]["name"], "Power \u00b2") << "8-bit bytes read as Latin-1";
    EXPECT_EQ(by_type[9][0]["name_hex"], "50 6f 77 65 72 20 b2");

    const ProgramRun text = run_program("mgxtool.exe", "sensors");
    EXPECT_EQ(text.exit_code, 0);
    for (const char *shown : {"Inlet Temp", "PS Status", "DIMM", "Power \xc2\xb2"})
        EXPECT_NE(text.output.find(shown), std::string::npos) << shown << " in\n" << text.output;
}

// 8-bit texts are shown whole, by their length: a 63-byte sensor name with a NUL and an ESC in it
// keeps its number and reading columns, a FRU field keeps what follows its NUL, and control
// characters reach the terminal only as visible escapes; JSON keeps every byte in hex.
TEST_F(MgxtoolTest, TextsFromTheUnitAreShownWholeWithTheirControlsEscaped) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const auto encoded = [&](const char *kind, const std::string &source) {
        const std::filesystem::path from = folder / (std::string("mgxtool-texts.") + kind + ".json"),
                                    to = folder / (std::string("mgxtool-texts.") + kind);
        std::ofstream(from) << source;
        EXPECT_EQ(run_program("vserver.exe", std::string("encode-") + kind + " \"" + from.string() + "\" \"" + to.string() + "\"")
                      .exit_code,
                  0);
        std::filesystem::remove(from);
        return to.string();
    };
    const std::string image = encoded("fru", R"({"size": 256, "board": {"manufacturer": "ACER", "name": "Board",
        "serial": "SN\u0000X", "part": "P1"}})");
    ASSERT_EQ(mgxtb("fru load \"" + image + "\"").exit_code, 0);
    std::filesystem::remove(image);
    const std::string inventory = run_program("mgxtool.exe", "inventory").output;
    EXPECT_NE(inventory.find(": SN\\x00X"), std::string::npos) << inventory;
    EXPECT_NE(mgxtool("inventory").document.dump().find("53 4e 00 58"), std::string::npos);

    std::string name_hex = "54 00 1b";
    for (int i = 0; i < 60; ++i) name_hex += " b0";
    const std::string dump = encoded("sdr", R"({"records": [{"kind": "full", "name_hex": ")" + name_hex +
                                                R"(", "owner": 32, "number": 48, "entity": 3, "instance": 1,
        "sensor_type": 1, "base_unit": 1, "m": 1}]})");
    ASSERT_EQ(mgxtb("sdr load \"" + dump + "\"").exit_code, 0);
    std::filesystem::remove(dump);
    std::string degrees;
    for (int i = 0; i < 60; ++i) degrees += "\xc2\xb0";
    const std::string sensors = run_program("mgxtool.exe", "sensors").output;
    EXPECT_NE(sensors.find("T\\x00\\x1B" + degrees + " #0x30  3.1    0 degrees C"), std::string::npos) << sensors;
    EXPECT_EQ(mgxtool("sensors").document["types"][0]["sensors"][0]["name_hex"], name_hex);
}

// Files the testbed cannot load are refused with the reason; usage names the program plainly.
TEST_F(MgxtoolTest, UnloadableFilesAreRefusedWithTheReason) {
    const std::string empty = (std::filesystem::temp_directory_path() / "mgxtool-empty.sdr").string();
    std::ofstream(empty, std::ios::trunc).close();
    const struct {
        std::string command;
        const char *reason;
    } refused[] = {
        {"sdr load \"" + empty + "\"", "the repository is empty (0 bytes)"},
        {"fru load \"" + empty + "\"", "a FRU image holds 1 to"},
        {"sdr load /tmp/mgx-no-such.sdr", "as \"Z:\\tmp\\mgx-no-such.sdr\""},
        {"sdr link 999 1", "the repository has no record 999"},
    };
    for (const auto &[command, reason] : refused) {
        SCOPED_TRACE(command);
        const ProgramRun run = run_program("mgxtb.exe", command, Captured::OutputAndErrors);
        EXPECT_NE(run.exit_code, 0);
        EXPECT_NE(run.output.find(reason), std::string::npos) << run.output;
    }
    std::filesystem::remove(empty);
    EXPECT_EQ(control_request(mgx::testbed::control::status)[control_key::platform][control_key::repository_records], 43);
    const std::string help = run_program("mgxtool.exe", "sensor --help").output;
    EXPECT_NE(help.find("Usage: mgxtool sensor"), std::string::npos) << help;
    EXPECT_EQ(help.find(".exe"), std::string::npos) << help;
    const ProgramRun testbed = run_program("mgxtool.exe", "testbed status", Captured::OutputAndErrors);
    EXPECT_NE(testbed.exit_code, 0) << "the product's mgxtool has no testbed commands";
}

TEST_F(MgxtoolTest, ShortReadsAndWritesSayWhatTheyGotAndFail) {
    ASSERT_EQ(mgxtool("store write 0 \"" + text::to_hex(store_pattern()) + "\"").exit_code, 0);
    add_fault({{control_key::kind, "short-answer"},
               {control_key::device, "smbus"},
               {control_key::netfn, 0x3A},
               {control_key::command, 0x38}});
    const ToolRun read = mgxtool("store read 0 16");
    EXPECT_EQ(read.exit_code, 1);
    EXPECT_EQ(read.document["asked"], 16);
    EXPECT_LT(read.document["got"].get<int>(), 16);
    EXPECT_EQ(read.document["status"], 0) << "the unit answered; the answers were short";
    EXPECT_NE(read.document.value("incomplete", "").find("asked for 16 bytes, got"), std::string::npos);
}

TEST_F(MgxtoolTest, FailedDriverStartRemovesTheServiceItCreated) {
    const ToolRun run = mgxtool("driver start C:\\no-such-folder\\probe.sys MgxProbeDriver");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(run.document["created"]);
    EXPECT_TRUE(run.document["removed"]);
    win32::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    win32::UniqueServiceHandle service(OpenServiceA(manager.get(), "MgxProbeDriver", SERVICE_QUERY_STATUS));
    EXPECT_FALSE(service);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
}

// What mgxtool writes is what the start monitoring settings read: time-outs in seconds with 0 for
// a function switched off, both selector bytes 1, retry method 1 for a hardware reset.
TEST_F(MgxtoolTest, BootMonitoringWritesWhatTheSettingsDialogReads) {
    control_request(mgx::testbed::control::clear_log);
    const ToolRun run =
        mgxtool("boot-monitoring --post off --os-boot on --os-boot-timeout 20 --os-boot-retries 3 --method reboot");
    ASSERT_EQ(run.exit_code, 0);
    EXPECT_FALSE(run.document["post"]["on"]);
    EXPECT_TRUE(run.document["os_boot"]["on"]);
    EXPECT_EQ(run.document["os_boot"]["timeout_minutes"], 20);
    EXPECT_EQ(run.document["retry_method"]["name"], "reboot");

    std::vector<json> writes;
    for (const json &request : unit_requests(log()))
        if (request[control_key::netfn] == 0x3A && request[control_key::command] == 0x44) writes.push_back(request);
    ASSERT_EQ(writes.size(), 1u);
    const std::string data = writes[0][control_key::data];
    EXPECT_EQ(data.substr(0, 8), "c0 00 00") << "both selectors, POST time-out 0";
    EXPECT_EQ(data.substr(12), "b0 04 03 01") << "1200 s, 3 retries, hardware reset";

    std::int32_t state = -1;
    ASSERT_EQ(HCXInitImbSmbDll(&state), 0);
    hal::BootMonitorSettings settings{};
    ASSERT_EQ(hal::mgx_call<hal::CommandType::BootMonitoring>(settings), 0);
    HCXFreeImbSmbDll();
    EXPECT_EQ(settings.post_timeout, 0);
    EXPECT_EQ(settings.os_boot_timeout, 1200);
    EXPECT_EQ(settings.os_boot_retries, 3);
    EXPECT_EQ(settings.retry_method, 1);

    // Numbers are decimal, as the dialog reads them: 020 is 20 minutes.
    EXPECT_EQ(mgxtool("boot-monitoring --os-boot-timeout 020").document["os_boot"]["timeout_minutes"], 20);

    // Switching POST on again without a time-out takes the settings' default of 30 minutes.
    const ToolRun on = mgxtool("boot-monitoring --post on --method power-cycle");
    ASSERT_EQ(on.exit_code, 0);
    EXPECT_EQ(on.document["post"]["timeout_s"], 1800);
    EXPECT_EQ(on.document["os_boot"]["timeout_s"], 1200) << "OS boot untouched";
    EXPECT_EQ(on.document["retry_method"]["code"], 0);
}

// Where the start monitoring dialog greys a function, mgxtool refuses to switch it on, and a
// time-out for a function that stays off is refused instead of dropped; nothing is written.
TEST_F(MgxtoolTest, BootMonitoringRefusesWhatTheDialogCannotSet) {
    const struct {
        const char *machine, *command, *reason;
    } refused[] = {
        {"acer", "boot-monitoring --post off --post-timeout 20", "POST monitoring stays off"},
        {"velmora", "boot-monitoring --os-boot on", "You can not enable OS boot monitoring,because this hardware not support"},
        {"velmora", "boot-monitoring --os-boot-timeout 20", "OS-boot monitoring stays off"},
        {"intel-s450", "boot-monitoring --post on", "POST monitoring cannot be switched on"},
    };
    for (const auto &[machine, command, reason] : refused) {
        SCOPED_TRACE(command);
        use(machine);
        ASSERT_EQ(mgxtool("boot-monitoring --os-boot off").exit_code, 0);
        control_request(mgx::testbed::control::clear_log);
        const ProgramRun run = run_program("mgxtool.exe", command, Captured::OutputAndErrors);
        EXPECT_NE(run.exit_code, 0);
        EXPECT_NE(run.output.find(reason), std::string::npos) << run.output;
        for (const json &request : unit_requests(log())) EXPECT_NE(request[control_key::command], 0x44) << "no write";
    }
    // On back-end state 4 a write leaves POST monitoring off, as the dialog writes it.
    use("intel-s450");
    const ToolRun written = mgxtool("boot-monitoring --os-boot-retries 3");
    ASSERT_EQ(written.exit_code, 0);
    EXPECT_FALSE(written.document["post"]["on"]);
}

}  // namespace
}  // namespace mgx::testbed::testing
