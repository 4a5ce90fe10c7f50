// Bmc.dll against the BMC driver and the virtual server: one fresh process per question, as the
// library finds the table when it is loaded.
#include <gtest/gtest.h>

#include <windows.h>

#include "control_client.h"
#include "programs.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::bmc {
namespace {

using testbed::control_request;

nlohmann::json probe() { return testbed::testing::run_copy_named("bmc_probe.exe", "bmc_probe.exe"); }

std::vector<std::string> first_strings(const nlohmann::json &found) {
    std::vector<std::string> strings;
    for (const nlohmann::json &structure : found) strings.push_back(structure["strings"][1].get<std::string>());
    return strings;
}

class BmcLibraryTest : public ::testing::Test {
protected:
    void TearDown() override { control_request(mgx::testbed::control::clear_faults); }
    void use(const char *profile) { control_request(mgx::testbed::control::use_profile, {{control_key::profile, profile}}); }
};

TEST_F(BmcLibraryTest, TableLookupsPassOverDecoysAndReservedHandles) {
    use("smbios-corners");
    nlohmann::json answers = probe();
    ASSERT_TRUE(answers.is_object()) << answers.dump();
    EXPECT_EQ(answers["baseboard_status"], 0xE0080002u);
    EXPECT_TRUE(answers["baseboard_cleared"]);
    EXPECT_EQ(first_strings(answers["type_4"]), (std::vector<std::string>{"CPU1", "CPU2"}));
    EXPECT_EQ(first_strings(answers["type_17"]), (std::vector<std::string>{"DIMM1", "DIMM2", "DIMM3", "DIMM4", "edge-feff"}))
        << "handle 0xFEFF is served, 0xFF00 and above are not";
    const nlohmann::json &dimm = answers["type_17"][0]["strings"];
    EXPECT_EQ(dimm, (nlohmann::json{"DIMM1", "DIMM1", "Bank 0", "", ""})) << "n = 0 to 4";
    EXPECT_EQ(answers["type_0"][0]["strings"][3], "03/14/2001");
    EXPECT_EQ(answers["type_16"].size(), 1u);
    EXPECT_TRUE(answers["string_of_null"].is_null());
}

TEST_F(BmcLibraryTest, TimeOutIsClampedAndTheInputIsHeaderThenData) {
    use("velmora");
    nlohmann::json answers = probe();
    EXPECT_EQ(answers["ipmi_10"]["status"], 0);
    EXPECT_EQ(answers["ipmi_10"]["length"], 16);
    std::vector<std::string> inputs;
    const nlohmann::json log = control_request(mgx::testbed::control::log);
    for (const nlohmann::json &entry : log[control_key::entries])
        if (entry[control_key::code] == "0x80002004") inputs.push_back(entry[control_key::input]);
    EXPECT_EQ(inputs, (std::vector<std::string>{"10 27 00 00 22 01 18 00", "40 4b 4c 00 22 01 18 00"}))
        << "10 becomes 10000, 5000000 becomes 5000 x 1000; no data: 8 bytes";
}

TEST_F(BmcLibraryTest, MachineWithoutAnEntryPointAnswersTheSearchStatus) {
    use("no-smbios");
    nlohmann::json answers = probe();
    EXPECT_EQ(answers["type_4"][0]["status"], 0xE0080001u);
    EXPECT_EQ(answers["baseboard_status"], 0xE0080001u) << "no table: the search status comes first";
    EXPECT_EQ(answers["ipmi_10"]["status"], 0);
}

TEST_F(BmcLibraryTest, FailedRequestsReturnTheirErrorCode) {
    use("velmora");
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::silent, true}}}});
    nlohmann::json answers = probe();
    EXPECT_EQ(answers["ipmi_10"]["status"], ERROR_SEM_TIMEOUT);
    EXPECT_EQ(answers["type_4"].size(), 2u) << "the table is there all the same";
}

}  // namespace
}  // namespace mgx::bmc
