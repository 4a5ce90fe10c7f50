// The metrics' event log tally end to end on the testbed: a run reads only what was added since
// the last one, a log cleared or replaced and a damaged tally file are counted afresh, and a
// full log is published by every run once it was counted, with the counts mgxtool sel gives.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "device_client.h"
#include "programs.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {
namespace {

using nlohmann::json;

const std::filesystem::path output = std::filesystem::temp_directory_path() / "tally-test.prom";
const std::filesystem::path tally_file = std::filesystem::temp_directory_path() / "tally-test.prom.sel-tally";

// The value of each series of the run's file (only those without labels and the severities).
std::map<std::string, std::string> sel_series(const std::string &budget = "50") {
    EXPECT_EQ(run_program("mgxtool.exe", "metrics --timeout " + budget + " --output \"" + output.string() + "\"").exit_code, 0);
    std::ifstream file(output);
    std::map<std::string, std::string> series;
    for (std::string line; std::getline(file, line);)
        if (line.starts_with("mgx_sel_") || line.starts_with("mgx_up{collector=\"sel\"}"))
            series[line.substr(0, line.rfind(' '))] = line.substr(line.rfind(' ') + 1);
    return series;
}

const std::string entries = "mgx_sel_entries", records_read = "mgx_sel_records_read", sel_up = "mgx_up{collector=\"sel\"}",
                  critical = "mgx_sel_events_count_by_state{state=\"critical\"}";

class EventLogTallyTest : public TestbedTest {
protected:
    void SetUp() override {
        use("acer");
        std::filesystem::remove(tally_file);
    }
    void TearDown() override {
        std::filesystem::remove(output);
        std::filesystem::remove(tally_file);
        TestbedTest::TearDown();
    }
    void add_record(const char *bytes) { control_request(control::add_sel, {{control_key::data, bytes}}); }
};

TEST_F(EventLogTallyTest, RunsReadWhatWasAddedAndCountAfreshWhatChanged) {
    auto series = sel_series();
    EXPECT_EQ(series.at(entries), "15");
    EXPECT_EQ(series.at(records_read), "15") << "the first run reads it all";
    const std::string critical_before = series.at(critical);

    add_record("00 00 02 00 00 00 00 20 00 04 01 01 01 59 5c 5a");  // a critical threshold event
    const auto reads = [] { return control_request(control::status)[control_key::event_log_reads].get<std::uint64_t>(); };
    const std::uint64_t reads_before = reads();
    series = sel_series();
    EXPECT_EQ(reads() - reads_before, 3u) << "the first record, the last one counted, the new one";
    EXPECT_EQ(series.at(entries), "16");
    EXPECT_EQ(series.at(records_read), "1") << "only the new record";
    EXPECT_EQ(std::stoi(series.at(critical)), std::stoi(critical_before) + 1);
    EXPECT_EQ(sel_series().at(records_read), "0") << "nothing added, nothing read";

    // Cleared and filled anew, the kept tally no longer fits the log's first record.
    control_request(control::clear_sel);
    add_record("00 00 02 00 00 00 00 20 00 04 01 01 01 59 5c 5a");
    series = sel_series();
    EXPECT_EQ(series.at(entries), "1");
    EXPECT_EQ(series.at(records_read), "1");

    // A damaged tally file is not believed.
    add_record("00 00 02 00 00 00 00 20 00 04 01 01 01 59 5c 5a");
    {
        std::fstream file(tally_file, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(12);  // inside the count of entries
        file.put('\x7f');
    }
    series = sel_series();
    EXPECT_EQ(series.at(entries), "2");
    EXPECT_EQ(series.at(records_read), "2") << "counted afresh";
    EXPECT_EQ(series.at(sel_up), "1");
}

// A full log: counted once (with a budget that holds it), then every run publishes it within
// 10 s, with the counts mgxtool sel gives.
TEST_F(EventLogTallyTest, AFullLogIsPublishedByEveryRunOnceCounted) {
    const std::filesystem::path folder = "C:\\mgxtestbed\\profiles";
    json profile = json::parse(std::ifstream(folder / "acer.json"));
    const json own = profile["unit"]["event_log"];
    json log = json::array();
    while (log.size() < 0xFFFE) log.push_back(own[log.size() % own.size()]);
    profile["name"] = "sel-full-tally";
    profile["unit"]["event_log"] = log;
    std::ofstream(folder / "sel-full-tally.json") << profile.dump();
    use("sel-full-tally");

    // The listing, read at the same time, gives the counts to compare with.
    RunningProgram listing(L"\"" + beside_this_program("mgxtool.exe").wstring() + L"\" --json sel");
    EXPECT_EQ(sel_series("900").at(entries), "65534") << "counted to the end once";
    const json listed = json::parse(listing.finish().output, nullptr, false);
    ASSERT_TRUE(listed.is_object());
    std::map<std::string, int> by_severity;
    for (const json &record : listed["records"])
        if (record.contains("severity") && record.contains("sensor_type")) ++by_severity[record["severity"]];

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const auto started = std::chrono::steady_clock::now();
        const auto series = sel_series();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        EXPECT_EQ(series.at(sel_up), "1");
        EXPECT_EQ(series.at(entries), std::to_string(listed["records"].size()));
        for (const char *severity : {"nominal", "warning", "critical"})
            EXPECT_EQ(series.at("mgx_sel_events_count_by_state{state=\"" + std::string(severity) + "\"}"),
                      std::to_string(by_severity[severity]))
                << severity;
    }
    use("acer");
    std::filesystem::remove(folder / "sel-full-tally.json");
}

}  // namespace
}  // namespace mgx::testbed::testing
