// The LCD panel and RCI exports against a scripted device at SMBus address 0x18.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_test.h"
#include "process_state.h"

namespace mgx::hal {
namespace {

using namespace testing;

constexpr DWORD transfer = 0x80102004;

// The device: a write counter, a last error, answers per read command, display text per selector.
struct Device {
    std::uint16_t counter = 10;
    std::uint8_t error = 0;
    int counter_step = 1;
    std::uint8_t status_byte = 0x30;
    bool echo = true;
    bool spoil_checksum = false;
    std::map<std::uint8_t, Bytes> payloads;                                // what follows status and echo in a read's answer
    std::map<std::pair<std::uint8_t, std::uint8_t>, std::string> display;  // text by selector bytes
    std::pair<std::uint8_t, std::uint8_t> selected{0, 0};
    std::vector<Bytes> writes;
    std::vector<std::uint8_t> reads;

    bool handle(const Bytes &in, Bytes &out) {
        const std::uint8_t operation = in[1], command = in[2];
        if (operation == 0x0B && command == 0xCE) {
            std::copy(in.begin(), in.end(), out.begin());
            out[6] = static_cast<std::uint8_t>(counter);
            out[7] = static_cast<std::uint8_t>(counter >> 8);
            out[9] = error;
            return true;
        }
        if (operation == 0x0A) {
            writes.push_back(in);
            counter = static_cast<std::uint16_t>(counter + counter_step);
            if (command == 0xDE) selected = {in[4], in[5]};
            return true;
        }
        reads.push_back(command);
        Bytes data = {status_byte, static_cast<std::uint8_t>(echo ? command : command ^ 1)};
        if (command == 0xDF) {
            const std::string text = display.count(selected) ? display[selected] : std::string(16, ' ');
            data.insert(data.end(), {0, 0});
            data.insert(data.end(), text.begin(), text.end());
        } else {
            data.insert(data.end(), payloads[command].begin(), payloads[command].end());
        }
        const std::uint8_t count = static_cast<std::uint8_t>(data.size() + 1);
        out[3] = count;
        std::uint8_t sum = count;
        for (std::size_t i = 0; i < data.size(); ++i) {
            out[4 + i] = data[i];
            sum = static_cast<std::uint8_t>(sum + data[i]);
        }
        out[3 + count] = static_cast<std::uint8_t>(-sum + (spoil_checksum ? 1 : 0));
        return true;
    }
};

class SmbusDevices : public HalTest {
protected:
    void SetUp() override {
        HalTest::SetUp();
        process_state().device = reinterpret_cast<HANDLE>(0x1234);
    }
    Device device;
    FakeDevice driver{[this](DWORD code, const Bytes &in, Bytes &out) { return code == transfer && device.handle(in, out); }};
    std::uint8_t packet[48] = {};
};

TEST_F(SmbusDevices, WithoutTheDeviceEveryExportIs25AndANullOutput113) {
    std::uint8_t *none = nullptr;
    EXPECT_EQ(HCXGetSmbLcdDevInfo(none), status::bad_argument);
    EXPECT_EQ(HCXGetSmbRciDevInfo(1, none), status::bad_argument);
    EXPECT_EQ(HCXGetSmbLcdDisp(nullptr), status::bad_argument);
    process_state().device = nullptr;
    char text[32];
    EXPECT_EQ(HCXGetSmbLcdDevInfo(packet), status::interface_unavailable);
    EXPECT_EQ(HCXGetSmbLcdMgmtLogInfo(packet), status::interface_unavailable);
    EXPECT_EQ(HCXGetSmbRCINumNode(packet), status::interface_unavailable);
    EXPECT_EQ(HCXGetSmbRciDevInfo(1, packet), status::interface_unavailable);
    EXPECT_EQ(HCXGetSmbRciDevUnitInfo(1, 2, packet), status::interface_unavailable);
    EXPECT_EQ(HCXGetSmbLcdDisp(text), status::interface_unavailable);
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(SmbusDevices, ReadsCheckChecksumStatusAndEcho) {
    device.payloads[0xC0] = {1, 2, 3};
    EXPECT_EQ(HCXGetSmbLcdDevInfo(packet), 0);
    EXPECT_EQ(packet[3], 6);
    EXPECT_EQ(packet[6], 1);
    EXPECT_EQ(driver.calls()[0].input.size(), 48u);
    EXPECT_EQ(driver.calls()[0].input[0], 0x18);
    EXPECT_EQ(driver.calls()[0].input[1], 0x0B);
    EXPECT_EQ(driver.calls()[0].input[2], 0xC0);
    device.status_byte = 0x31;
    EXPECT_EQ(HCXGetSmbLcdMgmtLogInfo(packet), status::smb_answer_wrong) << "status 0x31 with a right checksum";
    device.status_byte = 0x30;
    device.echo = false;
    EXPECT_EQ(HCXGetSmbRCINumNode(packet), status::smb_answer_wrong) << "command not echoed";
    device.echo = true;
    device.spoil_checksum = true;
    EXPECT_EQ(HCXGetSmbRCINumNode(packet), status::smb_answer_wrong) << "checksum wrong";
}

TEST_F(SmbusDevices, CountedWritesSendTheLowBytesAndCheckTheCounter) {
    device.payloads[0xD2] = {7};
    std::memset(packet, 0xEE, sizeof packet);
    EXPECT_EQ(HCXGetSmbRciDevInfo(300, packet), 0);
    ASSERT_EQ(device.writes.size(), 1u);
    const Bytes &write = device.writes[0];
    EXPECT_EQ(write[2], 0xD1);
    EXPECT_EQ(write[3], 2) << "one data byte + 1";
    EXPECT_EQ(write[4], 44) << "node 300: only its low byte";
    EXPECT_EQ(write[5], static_cast<std::uint8_t>(-(2 * 0x18 + 0xD1 + 2 + 44)));
    EXPECT_EQ(packet[40], 0) << "the buffer was cleared before the read";
    EXPECT_EQ(driver.count(transfer), 4u) << "status, write, status, read";

    device.error = 5;
    device.reads.clear();
    EXPECT_EQ(HCXGetSmbRciDevUnitInfo(1, 258, packet), 5) << "the device's own error";
    EXPECT_TRUE(device.reads.empty()) << "no read after a failed write";
    EXPECT_EQ(device.writes.back()[5], 2) << "unit 258: its low byte";
    device.error = 0;
    device.counter_step = 0;
    EXPECT_EQ(HCXGetSmbRciDevInfo(1, packet), status::smb_write_not_counted) << "counter not advanced";
    device.counter_step = 1;
    device.counter = 0xFFFF;
    EXPECT_EQ(HCXGetSmbRciDevInfo(1, packet), status::smb_write_not_counted) << "0xFFFF to 0 is no advance by one";
}

TEST_F(SmbusDevices, DisplayTextFromTheFirstSelectorThatIsNotBlank) {
    device.display[{0x01, 0x00}] = "SERVER READY    ";
    device.display[{0x01, 0x10}] = "  TEMP 25C      ";
    char text[32];
    EXPECT_EQ(HCXGetSmbLcdDisp(text), 0);
    EXPECT_EQ(std::string(text, 32), "SERVER READY      TEMP 25C      ");
    ASSERT_EQ(device.writes.size(), 4u) << "two counted writes per selector";
    EXPECT_EQ(device.writes[0][4], 0x00);
    EXPECT_EQ(device.writes[1][5], 0x10);
    EXPECT_EQ(device.writes[2][4], 0x01);
    EXPECT_EQ(device.reads.size(), 4u);
}

TEST_F(SmbusDevices, AllBlankDisplayIsZeroWithThirtyTwoSpaces) {
    char text[32];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(HCXGetSmbLcdDisp(text), 0);
    EXPECT_EQ(std::string(text, 32), std::string(32, ' '));
    ASSERT_EQ(device.writes.size(), 8u);
    const std::pair<int, int> selectors[] = {{0x00, 0x00}, {0x00, 0x10}, {0x01, 0x00}, {0x01, 0x10},
                                             {0x10, 0x00}, {0x11, 0x00}, {0x11, 0x00}, {0x21, 0x00}};
    for (std::size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(device.writes[i][4], selectors[i].first);
        EXPECT_EQ(device.writes[i][5], selectors[i].second);
    }
}

}  // namespace
}  // namespace mgx::hal
