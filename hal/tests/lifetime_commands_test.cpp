// The lifetime, maintenance and memory commands: request bytes, answers and settle waits.
#include <gtest/gtest.h>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_test.h"

#include <cstring>

namespace mgx::hal {
namespace {

using namespace testing;

class LifetimeCommandsTest : public HalTest {};

TEST_F(LifetimeCommandsTest, RunningTimeNeedsFourAnswerBytes) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 1, 2, 3}; });
    std::uint32_t hours = 7;
    EXPECT_EQ(MGXGetLifeTime(&hours), status::answer_too_short);
    EXPECT_EQ(hours, 7u);
    EXPECT_EQ(MGXGetLifeTime(nullptr), status::bad_argument);
    EXPECT_EQ(unit.requests().size(), 1u);
}

TEST_F(LifetimeCommandsTest, SetLifeTimeSettlesOnlyAfterSuccess) {
    FakeUnit accepting([](const Bytes &) { return Bytes{0x00}; });
    EXPECT_EQ(MGXSetLifeTime(0x01020304), 0);
    EXPECT_EQ(accepting.requests().at(0), (Bytes{0x22, 0x31, 0xE8, 4, 4, 3, 2, 1}));
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 500));
    FakeUnit refusing([](const Bytes &) { return Bytes{0xCC}; });
    EXPECT_EQ(MGXSetLifeTime(1), 204);
    EXPECT_EQ(waits.waits().size(), 1u);
}

TEST_F(LifetimeCommandsTest, SystemConfigSendsTheLowByte) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00}; });
    EXPECT_EQ(MGXSetSystemConfigLastInfo(0x1234), 0);
    EXPECT_EQ(unit.requests().at(0), (Bytes{0x22, 0x50, 0xE8, 1, 0x34}));
}

TEST_F(LifetimeCommandsTest, MaintenanceInfoIsClearedThenFilledFromTheAnswer) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 0xA0, 1, 2, 3, 4, 5, 6, 7}; });
    MgxMaintenanceInfo info;
    std::memset(&info, 0x77, sizeof info);
    ASSERT_EQ(MGXGetMntInfo(&info), 0);
    EXPECT_EQ(info.selector, 0);
    EXPECT_EQ(info.flag_a, 1);
    EXPECT_EQ(info.flag_b, 0);
    EXPECT_EQ(info.flag_c, 1);
    EXPECT_EQ(info.value32, 0x04030201u);
    EXPECT_EQ(info.value16, 0x0605);
    EXPECT_EQ(info.value8, 7);
}

TEST_F(LifetimeCommandsTest, SetMaintenanceInfoWritesEachIndexAndOnlySetsFlags) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 0x40, 9, 0, 0, 0, 8, 0, 7}; });
    MgxMaintenanceInfo in{1, 1, 0, 1, 0x11223344, 0x5566, 0x77};
    MgxMaintenanceInfo out{9, 0, 0, 5, 0, 0, 0};
    ASSERT_EQ(MGXSetMntInfo(in, &out), 0);
    ASSERT_EQ(unit.requests().size(), 2u);
    EXPECT_EQ(unit.requests()[0], (Bytes{0x22, 0x33, 0xE8, 9, 0, 0xA0, 0x44, 0x33, 0x22, 0x11, 0x66, 0x55, 0x77}));
    EXPECT_EQ(unit.requests()[1][4], 1);
    EXPECT_EQ(out.selector, 9) << "untouched";
    EXPECT_EQ(out.flag_a, 0) << "a clear bit leaves the caller's value";
    EXPECT_EQ(out.flag_b, 1);
    EXPECT_EQ(out.flag_c, 5);
    EXPECT_EQ(out.value32, 9u);
    EXPECT_EQ(out.value16, 8);
    EXPECT_EQ(out.value8, 7);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 500));
}

TEST_F(LifetimeCommandsTest, SetMaintenanceInfoRefusesOtherSelectorsAndStopsAtAFailure) {
    FakeUnit unit([](const Bytes &request) { return request[4] == 0 ? Bytes{0x00, 0, 0, 0, 0, 0, 0, 0, 0} : Bytes{0xC0}; });
    MgxMaintenanceInfo in{2, 0, 0, 0, 0, 0, 0}, out{};
    EXPECT_EQ(MGXSetMntInfo(in, &out), status::bad_argument);
    EXPECT_TRUE(unit.requests().empty());
    in.selector = 1;
    EXPECT_EQ(MGXSetMntInfo(in, &out), 0xC0) << "index 0 stays written";
    EXPECT_EQ(unit.requests().size(), 2u);
    EXPECT_EQ(MGXSetMntInfo(in, nullptr), status::bad_argument);
    EXPECT_TRUE(waits.waits().empty());
}

TEST_F(LifetimeCommandsTest, ClearingMemoryErrorsSendsBothIndexesWithTheSameBytes) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 1, 2, 3, 4, 5, 6, 7, 8}; });
    MgxMemoryMaintenance in{1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    MgxMemoryMaintenance out{42, {}};
    ASSERT_EQ(MGXSetMemMainInfo(in, &out), 0);
    ASSERT_EQ(unit.requests().size(), 2u);
    EXPECT_EQ(unit.requests()[0], (Bytes{0x22, 0x35, 0xE8, 9, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(unit.requests()[1][4], 1);
    EXPECT_EQ(Bytes(unit.requests()[1].begin() + 5, unit.requests()[1].end()), Bytes(8, 0xFF));
    EXPECT_EQ(out.selector, 42);
    EXPECT_EQ(Bytes(out.memory_data, out.memory_data + 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 500));
    MgxMemoryMaintenance selector_three{3, {}};
    EXPECT_EQ(MGXSetMemMainInfo(selector_three, &out), status::bad_argument);
}

TEST_F(LifetimeCommandsTest, MemoryInfoReadLeavesTheSelectorAlone) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 8, 7, 6, 5, 4, 3, 2, 1}; });
    MgxMemoryMaintenance out{-5, {}};
    ASSERT_EQ(MGXGetMemMainInfo(&out), 0);
    EXPECT_EQ(out.selector, -5);
    EXPECT_EQ(out.memory_data[0], 8);
    FakeUnit short_answer([](const Bytes &) { return Bytes{0x00, 1, 2, 3, 4, 5, 6, 7}; });
    EXPECT_EQ(MGXGetMemMainInfo(&out), status::answer_too_short);
}

}  // namespace
}  // namespace mgx::hal
