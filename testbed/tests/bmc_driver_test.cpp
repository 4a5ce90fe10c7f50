// The BMC driver "\\.\BMC": IPMI messages and physical memory mapped into this process.
#include <gtest/gtest.h>

#include <cstring>

#include "device_client.h"
#include "device_protocol.h"
#include "driver_packets.h"
#include "nt_status.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {
namespace {

Bytes map_input(std::uint32_t address, std::uint32_t length) {
    MgxtbPhysicalMemoryRequest request{0, 0, address, 0, length};
    Bytes input(sizeof request);
    std::memcpy(input.data(), &request, sizeof request);
    return input;
}

class BmcDriverTest : public TestbedTest {
protected:
    void SetUp() override {
        use("velmora");
        device = open_device("\\\\.\\BMC");
        ASSERT_TRUE(device) << "error " << GetLastError();
    }
    win32::UniqueHandle device;
};

TEST_F(BmcDriverTest, LowerCaseNameOpensTheSameDevice) {
    auto lower = open_device("\\\\.\\bmc");
    ASSERT_TRUE(lower);
    IoctlResult answer = ioctl(lower.get(), MGXTB_IOCTL_BMC_IPMI, bmc_message(5000000, 0x06, 0x01), 256);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.output.size(), 16u) << "completion code and 15 data bytes";
    EXPECT_EQ(log().back()[control_key::input], "40 4b 4c 00 22 01 18 00");
}

TEST_F(BmcDriverTest, RunningTimeAnswerIsCompletionCodeAndFourBytes) {
    control_request(mgx::testbed::control::set_unit,
                    {{control_key::unit, {{control_key::running_hours, 0x01020304}, {control_key::running_hours_fixed, true}}}});
    IoctlResult answer = ioctl(device.get(), MGXTB_IOCTL_BMC_IPMI, bmc_message(10000, 0x3A, 0x30), 256);
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.output, (Bytes{0x00, 0x04, 0x03, 0x02, 0x01}));
}

TEST_F(BmcDriverTest, SilentUnitAndTooSmallBuffersFail) {
    EXPECT_FALSE(ioctl(device.get(), MGXTB_IOCTL_BMC_IPMI, bmc_message(10, 0x06, 0x01), 4).ok);
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::silent, true}}}});
    IoctlResult silent = ioctl(device.get(), MGXTB_IOCTL_BMC_IPMI, bmc_message(10, 0x06, 0x01), 256);
    EXPECT_FALSE(silent.ok);
    EXPECT_EQ(silent.error, win32_error_of(nt::io_timeout));
}

TEST_F(BmcDriverTest, MappedBiosWindowIsReadableBelowFourGigabytesAndUnmapFreesIt) {
    IoctlResult mapped = ioctl(device.get(), MGXTB_IOCTL_BMC_MAP_MEMORY, map_input(0xF0000, 0xFFF0), 4);
    ASSERT_TRUE(mapped.ok) << "error " << mapped.error;
    ASSERT_EQ(mapped.output.size(), 4u);
    std::uint32_t address;
    std::memcpy(&address, mapped.output.data(), 4);
    ASSERT_NE(address, 0u);
    const auto *window = reinterpret_cast<const char *>(static_cast<std::uintptr_t>(address));

    MEMORY_BASIC_INFORMATION info;
    ASSERT_NE(VirtualQuery(window, &info, sizeof info), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READONLY));
    bool anchor = false;
    for (std::size_t offset = 0; offset + 31 <= 0xFFF0 && !anchor; offset += 16)
        anchor = std::memcmp(window + offset, "_SM_", 4) == 0;
    EXPECT_TRUE(anchor);

    Bytes unmap(4);
    std::memcpy(unmap.data(), &address, 4);
    ASSERT_TRUE(ioctl(device.get(), MGXTB_IOCTL_BMC_UNMAP_MEMORY, unmap, 0).ok);
    ASSERT_NE(VirtualQuery(window, &info, sizeof info), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
}

TEST_F(BmcDriverTest, BadMapRequestsAreRefused) {
    EXPECT_FALSE(ioctl(device.get(), MGXTB_IOCTL_BMC_MAP_MEMORY, map_input(0xF0000, 0), 4).ok);
    EXPECT_FALSE(ioctl(device.get(), MGXTB_IOCTL_BMC_MAP_MEMORY, map_input(0xFFFFFF00, 0x1000), 4).ok);
    EXPECT_FALSE(ioctl(device.get(), MGXTB_IOCTL_BMC_MAP_MEMORY, Bytes(20, 0), 4).ok);
    EXPECT_FALSE(ioctl(device.get(), MGXTB_IOCTL_BMC_MAP_MEMORY, map_input(0xF0000, 0x10), 2).ok) << "no room for the address";
}

}  // namespace
}  // namespace mgx::testbed::testing
