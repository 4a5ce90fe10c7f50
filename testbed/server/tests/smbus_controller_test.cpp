#include "smbus_controller.h"

#include <gtest/gtest.h>

#include "control_protocol.h"
#include "device_protocol.h"
#include "driver_packets.h"

namespace mgx::testbed {
namespace {

using namespace testing;

const Bytes device_id = {0x20, 0x81, 0x01, 0x10, 0x51, 0x3f, 0x7b, 0x1b, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00};

class SmbusControllerTest : public ::testing::Test {
protected:
    DeviceReply send(std::uint32_t code, const Bytes &packet, std::uint32_t capacity = 77) {
        UnitPort port(state, profile, faults, now);
        return bus.handle(code, packet, capacity, port);
    }
    DeviceReply lock(const std::string &owner, std::uint32_t timeout = 10000) {
        return send(MGXTB_IOCTL_SMBUS_LOCK, lock_packet(owner, timeout));
    }
    DeviceReply write(const std::string &owner, std::uint8_t netfn, std::uint8_t command, const Bytes &data = {}) {
        return send(MGXTB_IOCTL_SMBUS_TRANSFER, write_packet(owner, netfn, command, data));
    }
    DeviceReply read(const std::string &owner) { return send(MGXTB_IOCTL_SMBUS_TRANSFER, read_packet(owner)); }

    UnitProfile profile{device_id, 1234, false};
    UnitState state = UnitState::initial(profile, 0);
    FaultPlan faults;
    SmbusController bus;
    std::int64_t now = 1000;
};

TEST_F(SmbusControllerTest, WriteThenReadReturnsTheFramedAnswerWithItsChecksum) {
    ASSERT_EQ(write("GK7T30UI.EXE", 0x06, 0x01).status, nt::success);
    DeviceReply reply = read("GK7T30UI.EXE");
    ASSERT_EQ(reply.status, nt::success);
    ASSERT_EQ(reply.output.size(), 77u);
    EXPECT_EQ(reply.output[3], 6 + device_id.size());
    EXPECT_EQ(reply.output[76], 0);
    Bytes message = answer_message(reply.output);
    EXPECT_EQ(Bytes(message.begin(), message.begin() + 5), (Bytes{0x20, 0x00, 0x07, 0x01, 0x00}));
    EXPECT_EQ(Bytes(message.begin() + 5, message.end() - 1), device_id);
    EXPECT_TRUE(answer_checksum_ok(message));
}

TEST_F(SmbusControllerTest, RunningTimeIsFourLittleEndianBytesAndAdvancesByTheHour) {
    write("a", 0x3A, 0x30);
    Bytes message = answer_message(read("a").output);
    EXPECT_EQ(Bytes(message.begin() + 4, message.end()), (Bytes{0x00, 0xD2, 0x04, 0x00, 0x00, message.back()}));
    now += 2 * 3600 * 1000;
    write("a", 0x3A, 0x30);
    EXPECT_EQ(answer_message(read("a").output)[5], 0xD4);  // 1236
}

TEST_F(SmbusControllerTest, RequestWithWrongChecksumIsRefusedBeforeTheUnitSeesIt) {
    Bytes packet = write_packet("a", 0x3A, 0x30);
    packet[4 + packet[3] - 1] ^= 0x01;
    DeviceReply reply = send(MGXTB_IOCTL_SMBUS_TRANSFER, packet);
    EXPECT_EQ(reply.status, nt::io_device_error);
    EXPECT_FALSE(reply.request.has_value());
    EXPECT_EQ(read("a").status, nt::io_device_error) << "nothing may be pending after a refused write";
}

TEST_F(SmbusControllerTest, MessagesToOtherAddressesFindNoDevice) {
    EXPECT_EQ(send(MGXTB_IOCTL_SMBUS_TRANSFER, write_packet("a", 0x3A, 0x30, {}, 0x40)).status, nt::io_device_error);
}

TEST_F(SmbusControllerTest, LockRefusesOtherOwnersUntilReleased) {
    ASSERT_EQ(lock("first").status, nt::success);
    EXPECT_EQ(lock("first").status, nt::success) << "the holder may lock again";
    EXPECT_EQ(lock("second").status, nt::lock_not_granted);
    EXPECT_EQ(write("second", 0x3A, 0x30).status, nt::lock_not_granted);
    EXPECT_EQ(send(MGXTB_IOCTL_SMBUS_UNLOCK, unlock_packet("second")).status, nt::lock_not_granted);
    EXPECT_EQ(write("first", 0x3A, 0x30).status, nt::success);
    ASSERT_EQ(send(MGXTB_IOCTL_SMBUS_UNLOCK, unlock_packet("first")).status, nt::success);
    EXPECT_EQ(lock("second").status, nt::success);
}

TEST_F(SmbusControllerTest, LockOfAnOwnerThatDiedExpiresAfterItsTimeOut) {
    ASSERT_EQ(lock("died", 10000).status, nt::success);
    now += 9999;
    EXPECT_EQ(lock("next").status, nt::lock_not_granted);
    now += 1;
    EXPECT_EQ(lock("next").status, nt::success);
}

TEST_F(SmbusControllerTest, OwnerNameIsBoundedToItsThirtyTwoBytes) {
    const std::string long_owner(40, 'X');
    ASSERT_EQ(lock(long_owner).status, nt::success);
    EXPECT_EQ(bus.to_json(now)[control::key::lock][control::key::owner], std::string(32, 'X'));
}

TEST_F(SmbusControllerTest, MalformedRequestsAreRejected) {
    Bytes short_packet(76, 0);
    EXPECT_EQ(send(MGXTB_IOCTL_SMBUS_LOCK, short_packet).status, nt::invalid_parameter);
    EXPECT_EQ(send(MGXTB_IOCTL_SMBUS_LOCK, lock_packet("a"), 10).status, nt::invalid_parameter);
    Bytes neither = read_packet("a");
    neither[1] = 12;
    EXPECT_EQ(send(MGXTB_IOCTL_SMBUS_TRANSFER, neither).status, nt::invalid_parameter);
    Bytes too_long = write_packet("a", 0x3A, 0x30);
    too_long[3] = 33;
    EXPECT_EQ(send(MGXTB_IOCTL_SMBUS_TRANSFER, too_long).status, nt::io_device_error);
    EXPECT_EQ(send(0x80102008, lock_packet("a")).status, nt::invalid_device_request);
    EXPECT_EQ(read("a").status, nt::io_device_error) << "read without a write";
}

struct FaultCase {
    const char *name;
    FaultKind kind;
    std::int32_t write_status, read_status;
};

class SmbusFaultTest : public SmbusControllerTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SmbusFaultTest, FaultAppliesOnceThenTheBusWorksAgain) {
    const FaultCase &fault = GetParam();
    faults.add({fault.kind, DeviceKind::Smbus, 0x3A, 0x30, 1, 0xC1});
    EXPECT_EQ(write("a", 0x3A, 0x30).status, fault.write_status);
    if (fault.write_status == nt::success) {
        DeviceReply reply = read("a");
        EXPECT_EQ(reply.status, fault.read_status);
        if (reply.status == nt::success) {
            Bytes message = answer_message(reply.output);
            switch (fault.kind) {
            case FaultKind::BadChecksum: EXPECT_FALSE(answer_checksum_ok(message)); break;
            case FaultKind::BadHeader:
                EXPECT_EQ(message[2], 0x3C);
                EXPECT_TRUE(answer_checksum_ok(message)) << "a wrong header still carries a right checksum";
                break;
            case FaultKind::ShortAnswer: EXPECT_EQ(message.size(), 9u); break;
            case FaultKind::CompletionCode: EXPECT_EQ(message[4], 0xC1); break;
            default: ADD_FAILURE();
            }
        }
    }
    EXPECT_TRUE(faults.faults().empty());
    ASSERT_EQ(write("a", 0x3A, 0x30).status, nt::success);
    Bytes healthy = answer_message(read("a").output);
    EXPECT_EQ(healthy.size(), 10u);
    EXPECT_TRUE(answer_checksum_ok(healthy));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SmbusFaultTest,
                         ::testing::Values(FaultCase{"fail_write", FaultKind::FailWrite, nt::io_device_error, 0},
                                           FaultCase{"silence", FaultKind::Silence, nt::io_timeout, 0},
                                           FaultCase{"fail_read", FaultKind::FailRead, nt::success, nt::io_device_error},
                                           FaultCase{"bad_checksum", FaultKind::BadChecksum, nt::success, nt::success},
                                           FaultCase{"bad_header", FaultKind::BadHeader, nt::success, nt::success},
                                           FaultCase{"short_answer", FaultKind::ShortAnswer, nt::success, nt::success},
                                           FaultCase{"completion_code", FaultKind::CompletionCode, nt::success, nt::success}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SmbusControllerTest, RefusedLockIsCountedDown) {
    faults.add({FaultKind::RefuseLock, std::nullopt, std::nullopt, std::nullopt, 2, 0});
    EXPECT_EQ(lock("a").status, nt::lock_not_granted);
    EXPECT_EQ(lock("a").status, nt::lock_not_granted);
    EXPECT_EQ(lock("a").status, nt::success);
}

TEST_F(SmbusControllerTest, FaultForAnotherCommandLeavesThisOneAlone) {
    faults.add({FaultKind::FailWrite, DeviceKind::Smbus, 0x06, 0x01, std::nullopt, 0});
    EXPECT_EQ(write("a", 0x3A, 0x30).status, nt::success);
    EXPECT_EQ(write("a", 0x06, 0x01).status, nt::io_device_error);
    EXPECT_EQ(write("a", 0x06, 0x01).status, nt::io_device_error) << "a fault without count stays";
}

// The unit's own traffic carries its SMBus target: an addressed fault hits the unit at 0x11 and
// leaves it alone when aimed at a sensor owner's address; a delay holds the answer back.
TEST_F(SmbusControllerTest, AddressedFaultsAndDelaysMatchTheMessagesTarget) {
    faults.add(parse_fault({{control::key::kind, "silence"}, {control::key::address, 0x16}}));
    EXPECT_EQ(write("a", 0x3A, 0x30).status, nt::success) << "aimed at owner 0x2c's sensors";
    read("a");
    faults.add(parse_fault({{control::key::kind, "silence"}, {control::key::address, 0x11}, {control::key::count, 1}}));
    EXPECT_EQ(write("a", 0x3A, 0x30).status, nt::io_timeout);

    faults.clear();
    faults.add(parse_fault({{control::key::kind, "delay"}, {control::key::ms, 1500}, {control::key::address, 0x11}}));
    UnitPort port(state, profile, faults, now);
    EXPECT_EQ(bus.handle(MGXTB_IOCTL_SMBUS_TRANSFER, write_packet("a", 0x3A, 0x30), 77, port).status, nt::success);
    EXPECT_EQ(port.delay_ms(), 1500u);
}

}  // namespace
}  // namespace mgx::testbed
