// HCXMgxInterface: argument checks, the five attempts, the raw request and the device identity.
#include <gtest/gtest.h>

#include <cstring>

#include <halcore/command_types.h>
#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_test.h"
#include "mgx_message.h"

namespace mgx::hal {
namespace {

using namespace testing;

const Bytes device_id_15 = {0x00, 0x20, 0x81, 0x91, 0x10, 0x51, 0xBF, 0x7B, 0x1B, 0x00, 0x01, 0x01, 1, 2, 3, 4};
const Bytes running_time_answer = {0x00, 0x39, 0x30, 0x00, 0x00};

class DispatcherTest : public HalTest {};

// The record sizes of the command table: the dispatcher checks lengths against the records, so a
// record that changed size would change what callers must pass.
template <CommandType type>
constexpr bool sizes_are(int in, int out) {
    using R = CommandRecords<type>;
    int in_size = 0, out_size = 0;
    if constexpr (R::has_in) in_size = sizeof(typename R::In);
    if constexpr (R::has_out) out_size = sizeof(typename R::Out);
    return in_size == in && out_size == out;
}
using enum CommandType;
static_assert(sizes_are<SensorReading>(1, 1) && sizes_are<FruAreaInfo>(8, 6) && sizes_are<ReadFru>(11, 43) &&
              sizes_are<WriteFru>(43, 1) && sizes_are<FanControl>(9, 1) && sizes_are<FanStatus>(4, 4) &&
              sizes_are<PanelControl>(51, 0) && sizes_are<PanelRead>(0, 64) && sizes_are<RunningHours>(0, 4) &&
              sizes_are<SetRunningHours>(4, 0) && sizes_are<SetSystemConfigLastInfo>(4, 0) && sizes_are<MaintenanceInfo>(0, 23) &&
              sizes_are<SetMaintenanceInfo>(23, 23) && sizes_are<MemoryMaintenance>(0, 12) &&
              sizes_are<SetMemoryMaintenance>(12, 12) && sizes_are<SafeMode>(0, 4) && sizes_are<SetSafeMode>(4, 0) &&
              sizes_are<BootMonitoring>(0, 12) && sizes_are<SetBootMonitoring>(12, 0) && sizes_are<SystemInformation>(0, 534) &&
              sizes_are<SetSystemInformation>(534, 0) && sizes_are<ReadStoreArea>(510, 510) &&
              sizes_are<WriteStoreArea>(510, 2) && sizes_are<RawRequest>(30, 29) && sizes_are<DeviceIdentity>(0, 47));
static_assert(!CommandRecords<WriteFru>::checks_out && !CommandRecords<SetMaintenanceInfo>::checks_out &&
              CommandRecords<SetMemoryMaintenance>::checks_out);

TEST_F(DispatcherTest, UnknownTypesAndWrongRecordsAre113AtOnce) {
    FakeUnit unit([](const Bytes &) { return running_time_answer; });
    std::uint8_t buffer[600] = {};
    struct Case {
        void *in;
        std::int32_t in_length;
        void *out;
        std::int32_t out_length;
        std::uint32_t type;
    };
    for (const Case &test : {Case{nullptr, 0, buffer, 4, 0}, Case{nullptr, 0, buffer, 4, 26}, Case{nullptr, 0, buffer, 8, 9},
                             Case{nullptr, 0, nullptr, 4, 9}, Case{buffer, 3, nullptr, 0, 10}, Case{nullptr, 4, nullptr, 0, 10},
                             Case{buffer, 22, nullptr, 0, 13}, Case{buffer, 12, buffer, 11, 15}, Case{buffer, 29, buffer, 29, 24},
                             Case{nullptr, 0, buffer, 46, 25}, Case{buffer, 1, nullptr, 1, 1}, Case{nullptr, 0, buffer, 5, 16},
                             Case{buffer, 510, buffer, 1, 23}, Case{buffer, 50, nullptr, 0, 7}}) {
        SCOPED_TRACE(test.type);
        EXPECT_EQ(HCXMgxInterface(test.in, test.in_length, test.out, test.out_length, test.type), status::bad_argument);
    }
    EXPECT_TRUE(unit.requests().empty());
    EXPECT_TRUE(waits.waits().empty());
}

TEST_F(DispatcherTest, FailingCommandIsTriedFiveTimesWithFourWaits) {
    FakeUnit unit([](const Bytes &) { return Bytes{0xC3}; });
    std::uint32_t hours = 0;
    EXPECT_EQ(HCXMgxInterface(nullptr, 0, &hours, 4, 9), 195);
    EXPECT_EQ(unit.requests().size(), 5u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(4, 1000));
}

TEST_F(DispatcherTest, SensorReadingAnswers113AfterFiveAttempts) {
    FakeUnit unit([](const Bytes &) { return running_time_answer; });
    std::uint8_t sensor = 1, reading = 0;
    EXPECT_EQ(HCXMgxInterface(&sensor, 1, &reading, 1, 1), status::bad_argument);
    EXPECT_TRUE(unit.requests().empty());
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(4, 1000));
}

TEST_F(DispatcherTest, SucceedingCommandIsSentOnce) {
    FakeUnit unit([](const Bytes &) { return running_time_answer; });
    std::uint32_t hours = 0;
    EXPECT_EQ(HCXMgxInterface(reinterpret_cast<void *>(1), 99, &hours, 4, 9), 0) << "the input is not looked at";
    EXPECT_EQ(hours, 12345u);
    EXPECT_EQ(unit.requests().size(), 1u);
    EXPECT_TRUE(waits.waits().empty());
}

TEST_F(DispatcherTest, RawRequestReturnsTheCompletionCodeWithTheResponseFilled) {
    FakeUnit unit([](const Bytes &) { return Bytes{0xC1, 0xAA}; });
    MgxRequest request = make_request(0x3A, 0x77);
    MgxResponse response{};
    EXPECT_EQ(HCXMgxInterface(&request, sizeof request, &response, sizeof response, 24), 193);
    EXPECT_EQ(unit.requests().size(), 5u);
    EXPECT_EQ(response.completion_code, 0xC1);
    EXPECT_EQ(response.length, 1);
    EXPECT_EQ(response.data[0], 0xAA);
}

TEST_F(DispatcherTest, DeviceIdentityFromAFifteenByteAnswer) {
    FakeUnit unit([](const Bytes &) { return device_id_15; });
    MgxDeviceIdentity identity;
    std::memset(&identity, 0x5A, sizeof identity);
    ASSERT_EQ(HCXMgxInterface(nullptr, 0, &identity, sizeof identity, 25), 0);
    EXPECT_EQ(unit.requests().at(0), (Bytes{0x22, 0x01, 0x18, 0}));
    EXPECT_EQ(identity.device_id, 0x20);
    EXPECT_EQ(identity.provides_revision, 1);
    EXPECT_EQ(identity.device_revision, 0x01);
    EXPECT_EQ(identity.firmware_revision_1, 0x81) << "0x91 AND 0xEF";
    EXPECT_EQ(identity.firmware_revision_2, 0x10);
    EXPECT_EQ(identity.ipmi_version, 0x51);
    // 0xBF: every bit but bit 6 (bridge)
    EXPECT_EQ(identity.chassis_device, 1);
    EXPECT_EQ(identity.bridge, 0x5A5A5A5A) << "a clear bit leaves the caller's value";
    EXPECT_EQ(identity.sensor_device, 1);
    EXPECT_EQ(Bytes(identity.manufacturer_and_product, identity.manufacturer_and_product + 6), Bytes(6, 0));
    EXPECT_EQ(process_state().extended_retry, 0);
}

TEST_F(DispatcherTest, DeviceIdentityCopiesManufacturerAndProductFromAnElevenByteAnswer) {
    FakeUnit unit([](const Bytes &) { return Bytes(device_id_15.begin(), device_id_15.begin() + 12); });
    MgxDeviceIdentity identity{};
    ASSERT_EQ(HCXMgxInterface(nullptr, 0, &identity, sizeof identity, 25), 0);
    EXPECT_EQ(Bytes(identity.manufacturer_and_product, identity.manufacturer_and_product + 6),
              (Bytes{0x7B, 0x1B, 0x00, 0x01, 0x01, 0x00}));
    EXPECT_EQ(identity.provides_revision, 1);
}

TEST_F(DispatcherTest, DeviceIdentityNeedsSixDataBytes) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 1, 2, 3, 4, 5}; });
    MgxDeviceIdentity identity{};
    EXPECT_EQ(HCXMgxInterface(nullptr, 0, &identity, sizeof identity, 25), status::answer_too_short);
    EXPECT_EQ(unit.requests().size(), 5u);
}

}  // namespace
}  // namespace mgx::hal
