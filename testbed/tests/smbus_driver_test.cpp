// The SMBus driver "\\.\SMBUS2" from a Win32 client, through the real driver and server.
#include <gtest/gtest.h>

#include <string_view>

#include "device_client.h"
#include "device_protocol.h"
#include "driver_packets.h"
#include "nt_status.h"
#include "text/hex.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {
namespace {

class SmbusDriverTest : public TestbedTest {
protected:
    void SetUp() override {
        use("acer");
        device = open_device("\\\\.\\SMBUS2");
        ASSERT_TRUE(device) << "error " << GetLastError();
    }
    IoctlResult send(DWORD code, const Bytes &packet) { return ioctl(device.get(), code, packet, 77); }
    IoctlResult lock(const std::string &owner) { return send(MGXTB_IOCTL_SMBUS_LOCK, lock_packet(owner)); }
    IoctlResult write(std::uint8_t netfn, std::uint8_t command) {
        return send(MGXTB_IOCTL_SMBUS_TRANSFER, write_packet(owner, netfn, command));
    }
    IoctlResult read() { return send(MGXTB_IOCTL_SMBUS_TRANSFER, read_packet(owner)); }

    const std::string owner = "smbus_tests.exe";
    win32::UniqueHandle device;
};

TEST_F(SmbusDriverTest, LockWriteReadUnlockCarriesOneRequestAndItsAnswer) {
    ASSERT_TRUE(lock(owner).ok);
    const Bytes request = write_packet(owner, 0x06, 0x01);
    ASSERT_TRUE(send(MGXTB_IOCTL_SMBUS_TRANSFER, request).ok);
    IoctlResult answer = read();
    ASSERT_TRUE(answer.ok);
    ASSERT_TRUE(send(MGXTB_IOCTL_SMBUS_UNLOCK, unlock_packet(owner)).ok);

    ASSERT_EQ(answer.output.size(), 77u);
    EXPECT_EQ(answer.output[76], 0) << "driver return value";
    Bytes message = answer_message(answer.output);
    ASSERT_EQ(message.size(), 21u);
    EXPECT_EQ(Bytes(message.begin(), message.begin() + 6), (Bytes{0x20, 0x00, 0x07, 0x01, 0x00, 0x20}));
    EXPECT_TRUE(answer_checksum_ok(message));

    nlohmann::json entries = log();
    ASSERT_EQ(entries.size(), 4u);
    const std::vector<std::string> codes = {"0x80102020", "0x80102004", "0x80102004", "0x80102024"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[i][control_key::code], codes[i]);
        EXPECT_EQ(entries[i][control_key::process_id], GetCurrentProcessId());
        EXPECT_EQ(entries[i][control_key::output_capacity], 77);
    }
    EXPECT_EQ(entries[1][control_key::input], mgx::text::to_hex(request));
    EXPECT_EQ(entries[1][control_key::request][control_key::netfn], 6);
    EXPECT_LE(entries[0][control_key::time_ms].get<std::int64_t>(), entries[3][control_key::time_ms].get<std::int64_t>());
}

TEST_F(SmbusDriverTest, LockIsRefusedToOtherOwnersUntilItsTimeOutPasses) {
    ASSERT_TRUE(lock("crashed.exe").ok);
    IoctlResult refused = lock(owner);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, win32_error_of(nt::lock_not_granted));
    EXPECT_FALSE(write(0x3A, 0x30).ok);
    control_request(mgx::testbed::control::advance_clock, {{control_key::ms, 10000}});
    EXPECT_TRUE(lock(owner).ok);
    EXPECT_TRUE(send(MGXTB_IOCTL_SMBUS_UNLOCK, unlock_packet(owner)).ok);
}

TEST_F(SmbusDriverTest, EachInjectedFaultReachesTheClient) {
    struct Case {
        const char *kind;
        bool write_ok, read_ok;
        DWORD error;
    };
    const Case cases[] = {{"fail-write", false, false, win32_error_of(nt::io_device_error)},
                          {"silence", false, false, win32_error_of(nt::io_timeout)},
                          {"fail-read", true, false, win32_error_of(nt::io_device_error)},
                          {"bad-checksum", true, true, 0},
                          {"bad-header", true, true, 0},
                          {"short-answer", true, true, 0},
                          {"completion-code", true, true, 0}};
    for (const Case &fault : cases) {
        SCOPED_TRACE(fault.kind);
        nlohmann::json spec = {{control_key::kind, fault.kind}, {control_key::device, "smbus"}, {control_key::count, 1}};
        if (std::string_view(fault.kind) == "completion-code") spec[control_key::code] = 0xC3;
        add_fault(spec);
        IoctlResult written = write(0x3A, 0x30);
        ASSERT_EQ(written.ok, fault.write_ok);
        if (!written.ok) {
            EXPECT_EQ(written.error, fault.error);
            continue;
        }
        IoctlResult answer = read();
        ASSERT_EQ(answer.ok, fault.read_ok);
        if (!answer.ok) {
            EXPECT_EQ(answer.error, fault.error);
            continue;
        }
        Bytes message = answer_message(answer.output);
        const std::string kind = fault.kind;
        EXPECT_EQ(answer_checksum_ok(message), kind != "bad-checksum");
        EXPECT_EQ(message[2] == 0x3B, kind != "bad-header");
        EXPECT_EQ(message.size(), kind == "short-answer" ? 9u : kind == "completion-code" ? 6u : 10u);
        if (kind == "completion-code") {
            EXPECT_EQ(message[4], 0xC3);
        }
    }
    ASSERT_TRUE(write(0x3A, 0x30).ok);
    EXPECT_TRUE(answer_checksum_ok(answer_message(read().output))) << "every fault was counted off";
}

TEST_F(SmbusDriverTest, RefusedLocksCountDown) {
    add_fault({{control_key::kind, "refuse-lock"}, {control_key::count, 2}});
    EXPECT_FALSE(lock(owner).ok);
    EXPECT_FALSE(lock(owner).ok);
    EXPECT_TRUE(lock(owner).ok);
    send(MGXTB_IOCTL_SMBUS_UNLOCK, unlock_packet(owner));
}

TEST_F(SmbusDriverTest, MalformedRequestsFailWithoutHarm) {
    IoctlResult short_input = ioctl(device.get(), MGXTB_IOCTL_SMBUS_LOCK, Bytes(10, 0), 77);
    EXPECT_FALSE(short_input.ok);
    EXPECT_EQ(short_input.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(ioctl(device.get(), MGXTB_IOCTL_SMBUS_LOCK, lock_packet(owner), 8).ok) << "output smaller than a packet";
    IoctlResult unknown = ioctl(device.get(), 0x80102008, lock_packet(owner), 77);
    EXPECT_FALSE(unknown.ok);
    EXPECT_EQ(unknown.error, win32_error_of(nt::invalid_device_request));
    EXPECT_FALSE(ioctl(device.get(), 0, {}, 0).ok) << "the driver's own start code is not a request";
    EXPECT_FALSE(ioctl(device.get(), MGXTB_IOCTL_SMBUS_TRANSFER, Bytes(5000, 0), 77).ok) << "input above the limit";
    ASSERT_TRUE(write(0x3A, 0x30).ok) << "the driver still works";
}

TEST_F(SmbusDriverTest, HardwareAbsentFromTheMachineFailsItsRequests) {
    use("intel");
    IoctlResult result = write(0x3A, 0x30);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, win32_error_of(nt::device_does_not_exist));
}

}  // namespace
}  // namespace mgx::testbed::testing
