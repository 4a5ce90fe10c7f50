// mgxtool metrics end to end on the testbed: every series is named once, and a value the run
// could not read is NaN exactly where its source is not up.
#include <gtest/gtest.h>

#include <windows.h>

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

// The series of an exposition by name and labels, with their values as written; a series
// written twice fails the test (a scraper keeps only the first).
std::map<std::string, std::string> series_of(const std::string &text) {
    std::map<std::string, std::string> series;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        const std::size_t space = line.rfind(' ');
        const std::string name = line.substr(0, space);
        EXPECT_TRUE(series.emplace(name, line.substr(space + 1)).second) << name << " written twice";
    }
    return series;
}

std::map<std::string, std::string> metrics() {
    const ProgramRun run = run_program("mgxtool.exe", "metrics");
    EXPECT_EQ(run.exit_code, 0);
    return series_of(run.output);
}

// The product key's defaults as mgxtool writes them, removed again with the App Paths they add.
struct ProductKeyDefaults {
    int written = run_program("mgxtool.exe", "defaults --yes").exit_code;
    ~ProductKeyDefaults() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
        for (const char *program : {"GK7T30UI.EXE", "GK7T30SV.EXE", "GK7T30MS.EXE"})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                           (std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program).c_str());
    }
};

class MetricsSeriesTest : public TestbedTest {
protected:
    void SetUp() override { use("acer"); }
};

// Two owners that both number a sensor 1 "Temp", and four slots of one shared record: each is a
// series of its own, so the second owner's critical reading reaches the alert; a sensor the
// repository lists twice is one series.
TEST_F(MetricsSeriesTest, OwnersAndSharedSlotsEachHaveASeries) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::filesystem::path source = folder / "metrics-owners.sdr.json", dump = folder / "metrics-owners.sdr";
    {
        std::ofstream file(source);
        file << R"({"records": [
  {"kind": "full", "name": "Temp", "owner": 32, "number": 1, "entity": 3, "instance": 1, "sensor_type": 1,
   "base_unit": 1, "m": 1, "readable": 16, "thresholds": [0, 90, 0, 0, 0, 0]},
  {"kind": "full", "name": "Temp", "owner": 32, "number": 1, "entity": 3, "instance": 1, "sensor_type": 1,
   "base_unit": 1, "m": 1, "readable": 16, "thresholds": [0, 90, 0, 0, 0, 0]},
  {"kind": "full", "name": "Temp", "owner": 44, "number": 1, "entity": 10, "instance": 1, "sensor_type": 1,
   "base_unit": 1, "m": 1, "readable": 16, "thresholds": [0, 90, 0, 0, 0, 0]},
  {"kind": "compact", "layout": "ipmi-1.5", "name": "DIMM", "owner": 32, "number": 80, "entity": 32, "instance": 1,
   "sensor_type": 12, "reading_type": 111, "mask": 51, "share": 4}]})";
    }
    ASSERT_EQ(run_program("vserver.exe", "encode-sdr \"" + source.string() + "\" \"" + dump.string() + "\"").exit_code, 0);
    ASSERT_EQ(run_program("mgxtb.exe", "sdr load \"" + dump.string() + "\"").exit_code, 0);
    std::filesystem::remove(source);
    std::filesystem::remove(dump);
    ASSERT_EQ(run_program("mgxtb.exe", "sensor 0x2c 0x01 --raw 95").exit_code, 0);

    const auto series = metrics();
    EXPECT_EQ(series.at(R"(mgx_temperature_state{id="1",owner="44",lun="0",name="Temp"})"), "2");
    EXPECT_EQ(series.at(R"(mgx_temperature_celsius{id="1",owner="44",lun="0",name="Temp"})"), "95");
    EXPECT_TRUE(series.contains(R"(mgx_temperature_celsius{id="1",owner="32",lun="0",name="Temp"})"));
    for (const char *slot : {"80", "81", "82", "83"})
        EXPECT_TRUE(
            series.contains("mgx_sensor_state{id=\"" + std::string(slot) + R"(",owner="32",lun="0",name="DIMM",type="12"})"))
            << "slot " << slot;
    EXPECT_EQ(series.at(R"(mgx_up{collector="sensors"})"), "1");
}

// An owner that answers too slowly for the budget: the sensors not reached are NaN, every
// catalogued sensor still has its series, and the sensors are not up.
TEST_F(MetricsSeriesTest, SensorsNotReachedInTimeAreNaNNotAbsent) {
    std::map<std::string, std::string> complete;
    for (const auto &[name, value] : metrics())
        if (name.find("owner=") != std::string::npos) complete.emplace(name, value);
    ASSERT_FALSE(complete.empty());
    add_fault({{control_key::kind, "delay"}, {control_key::ms, 3000}, {control_key::address, 0x16}});
    const ProgramRun run = run_program("mgxtool.exe", "metrics --timeout 5");
    EXPECT_EQ(run.exit_code, 0);
    const auto late = series_of(run.output);
    std::size_t not_read = 0;
    for (const auto &[name, value] : complete) {
        ASSERT_TRUE(late.contains(name)) << name << " is missing";
        not_read += late.at(name) == "NaN" && value != "NaN";
    }
    EXPECT_GT(not_read, 0u) << "the slow owner's sensors were not read";
    EXPECT_EQ(late.at(R"(mgx_up{collector="sensors"})"), "0");
}

// A setting missing from the product key, a stored date that is no date and a sensor that is not
// scanning: each is NaN, and its collector is not up; with nothing amiss every collector is.
TEST_F(MetricsSeriesTest, ValuesThatCannotBeReadTakeTheirCollectorDown) {
    const ProductKeyDefaults product_key;
    ASSERT_EQ(product_key.written, 0);
    EXPECT_EQ(metrics().at(R"(mgx_up{collector="wear_parts"})"), "1") << "the defaults store no battery date";

    const char *setup_date = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\SetupDate";
    const char impossible[16] = "2026/02/30";
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date, "UPS", REG_SZ, impossible, sizeof impossible), ERROR_SUCCESS);
    auto series = metrics();
    EXPECT_EQ(series.at(R"(mgx_battery_install_timestamp_seconds{part="UPS",name="ups-battery"})"), "NaN");
    EXPECT_EQ(series.at(R"(mgx_up{collector="wear_parts"})"), "0");

    const char valid[16] = "2026/02/28";
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, setup_date, "UPS", REG_SZ, valid, sizeof valid), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\NotifyMethod", "LCD"), ERROR_SUCCESS);
    series = metrics();
    EXPECT_EQ(series.at(R"(mgx_battery_install_timestamp_seconds{part="UPS",name="ups-battery"})"), "1772236800");
    EXPECT_EQ(series.at(R"(mgx_notification_enabled{method="lcd"})"), "NaN");
    EXPECT_EQ(series.at(R"(mgx_up{collector="wear_parts"})"), "0");

    ASSERT_EQ(run_program("mgxtb.exe", "sensor 0x2c 0x40 --flags 0").exit_code, 0) << "PS Status stops scanning";
    series = metrics();
    EXPECT_EQ(series.at(R"(mgx_sensor_state{id="64",owner="44",lun="0",name="PS Status",type="8"})"), "NaN");
    EXPECT_EQ(series.at(R"(mgx_up{collector="sensors"})"), "0");
}

}  // namespace
}  // namespace mgx::testbed::testing
