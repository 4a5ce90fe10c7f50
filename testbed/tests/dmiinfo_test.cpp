// DMIINFO.dll against each machine's SMBIOS, one fresh process per machine (the library reads
// the table once per process).
#include <gtest/gtest.h>

#include <string>

#include "device_client.h"
#include "programs.h"

namespace mgx::testbed::testing {
namespace {

nlohmann::json probe(const std::string &arguments = "") {
    return run_copy_named("dmiinfo_probe.exe", "dmiinfo_probe.exe", arguments);
}

class DmiInfoTest : public TestbedTest {};

TEST_F(DmiInfoTest, ReportsTheBaseboardOfTheSimulatedMachine) {
    use("intel-s450");
    nlohmann::json answers = probe();
    ASSERT_TRUE(answers.is_object()) << answers.dump();
    EXPECT_EQ(answers["present"], 1);
    EXPECT_EQ(answers["baseboards"], 1);
    EXPECT_EQ(answers["processors"], 2);
    EXPECT_EQ(answers["memory_devices"], 4);
    EXPECT_EQ(answers["unknown_name"], 0);
    EXPECT_EQ(answers["manufacturer"], "Intel Corporation");
    EXPECT_EQ(answers["product"], "SKS450NX");
    EXPECT_EQ(answers["missing_string"], "");
    EXPECT_TRUE(answers["missing_instance"].is_null());
    EXPECT_EQ(answers["after_write"], "#ntel Corporation") << "strings are the library's own writable copies";
}

TEST_F(DmiInfoTest, MachineWithoutSmbiosHasNothing) {
    use("no-smbios");
    nlohmann::json answers = probe();
    EXPECT_EQ(answers["present"], 0);
    EXPECT_EQ(answers["baseboards"], 0);
    EXPECT_TRUE(answers["manufacturer"].is_null());
}

TEST_F(DmiInfoTest, TableIsReadOncePerProcess) {
    use("acer");
    nlohmann::json answers = probe("switch");
    EXPECT_EQ(answers["manufacturer"], "ACER");
    EXPECT_EQ(answers["present_after_switch"], 1);
}

}  // namespace
}  // namespace mgx::testbed::testing
