#include "lcd_panel_controller.h"

#include <gtest/gtest.h>

#include "control_protocol.h"
#include "device_protocol.h"
#include "driver_packets.h"
#include "smbus_controller.h"

namespace mgx::testbed {
namespace {

LcdPanelProfile panel_profile() {
    LcdPanelProfile panel;
    panel.device_info = {0x01, 0x02, 0x03};
    panel.management_log = {0x0A};
    panel.pages[0x0010] = "second half";
    panel.rci_nodes = {{{0x11, 0x12}, {{0xA1}, {0xA2}}}, {{0x21}, {}}};
    return panel;
}

Bytes read_request(std::uint8_t command) {
    Bytes packet(lcd::packet_size, 0);
    packet[0] = lcd::device_address;
    packet[1] = lcd::operation_read;
    packet[2] = command;
    return packet;
}

// A write as the device expects it: count = data + 1, checksum over twice the address on.
Bytes write_request(std::uint8_t command, const Bytes &data) {
    Bytes packet(lcd::packet_size, 0);
    packet[0] = lcd::device_address;
    packet[1] = lcd::operation_write;
    packet[2] = command;
    packet[3] = static_cast<std::uint8_t>(data.size() + 1);
    std::uint32_t sum = 2u * lcd::device_address + command + packet[3];
    for (std::size_t i = 0; i < data.size(); ++i) sum += packet[4 + i] = data[i];
    packet[3 + packet[3]] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    return packet;
}

class LcdPanelControllerTest : public ::testing::Test {
protected:
    void SetUp() override { panel.reset(panel_profile()); }
    DeviceReply read(std::uint8_t command) { return panel.handle(read_request(command), 48, faults); }
    DeviceReply write(std::uint8_t command, const Bytes &data) { return panel.handle(write_request(command, data), 0, faults); }
    // The answer's data bytes, after checking its framing.
    Bytes data_of(const DeviceReply &reply, std::uint8_t command) {
        EXPECT_EQ(reply.status, nt::success);
        const Bytes &out = reply.output;
        EXPECT_EQ(out.size(), 48u);
        const std::uint8_t count = out[3];
        EXPECT_EQ(out[4], lcd::status_done);
        EXPECT_EQ(out[5], command);
        std::uint32_t sum = count;
        for (std::size_t at = 4; at < 3u + count; ++at) sum += out[at];
        EXPECT_EQ(static_cast<std::uint8_t>(sum + out[3 + count]), 0) << "answer checksum";
        return Bytes(out.begin() + 6, out.begin() + 3 + count);
    }
    std::uint16_t counter() {
        Bytes status = data_of(read(lcd::status), lcd::status);
        return static_cast<std::uint16_t>(status[0] | status[1] << 8);
    }
    std::uint8_t last_error() { return data_of(read(lcd::status), lcd::status)[3]; }

    LcdPanelController panel;
    FaultPlan faults;
};

TEST_F(LcdPanelControllerTest, ReadsAnswerTheProfileBytesFramedWithStatusEchoAndChecksum) {
    EXPECT_EQ(data_of(read(lcd::device_information), lcd::device_information), (Bytes{0x01, 0x02, 0x03}));
    EXPECT_EQ(data_of(read(lcd::management_log), lcd::management_log), Bytes{0x0A});
    EXPECT_EQ(data_of(read(lcd::rci_node_count), lcd::rci_node_count), Bytes{2});
    EXPECT_EQ(data_of(read(lcd::status), lcd::status), (Bytes{0, 0, 0, 0}));
}

TEST_F(LcdPanelControllerTest, EveryWriteIsCountedAndTheCounterWrapsAtSixteenBits) {
    ASSERT_EQ(write(lcd::select_display_page, {0x00, 0x10}).status, nt::success);
    EXPECT_EQ(counter(), 1);
    write(0x77, {});  // unknown, yet received and counted
    EXPECT_EQ(counter(), 2);
    EXPECT_EQ(last_error(), lcd::error_unknown_write);
    panel.update({{control::key::write_counter, 0xFFFF}});
    write(lcd::select_display_page, {0x00, 0x00});
    EXPECT_EQ(counter(), 0);
    EXPECT_EQ(last_error(), 0) << "a good write clears the last error";
}

TEST_F(LcdPanelControllerTest, WriteWithWrongChecksumOrCountIsRefusedAndNotCounted) {
    Bytes bad = write_request(lcd::select_rci_node, {1});
    bad[5] ^= 0x01;
    EXPECT_EQ(panel.handle(bad, 0, faults).status, nt::io_device_error);
    Bytes overlong = write_request(lcd::select_rci_node, {1});
    overlong[3] = 45;  // its checksum would lie past the packet
    EXPECT_EQ(panel.handle(overlong, 0, faults).status, nt::io_device_error);
    EXPECT_EQ(counter(), 0);
}

TEST_F(LcdPanelControllerTest, RciSelectionsChooseWhatTheInformationReadsAnswer) {
    EXPECT_EQ(read(lcd::rci_device_information).output[4], lcd::status_refused) << "no node selected yet";
    write(lcd::select_rci_node, {3});
    EXPECT_EQ(last_error(), lcd::error_no_such_node);
    write(lcd::select_rci_node, {1});
    EXPECT_EQ(data_of(read(lcd::rci_device_information), lcd::rci_device_information), (Bytes{0x11, 0x12}));
    write(lcd::select_rci_unit, {1, 2});
    EXPECT_EQ(data_of(read(lcd::rci_unit_information), lcd::rci_unit_information), Bytes{0xA2});
    write(lcd::select_rci_unit, {2, 1});
    EXPECT_EQ(last_error(), lcd::error_no_such_unit);
    EXPECT_EQ(data_of(read(lcd::rci_unit_information), lcd::rci_unit_information), Bytes{0xA2})
        << "a refused write selects nothing";
}

TEST_F(LcdPanelControllerTest, DisplayPagesAnswerTheirSelectorAndSixteenCharacters) {
    write(lcd::select_display_page, {0x00, 0x10});
    Bytes text = data_of(read(lcd::display_text), lcd::display_text);
    EXPECT_EQ(text, (Bytes{0x00, 0x10, 's', 'e', 'c', 'o', 'n', 'd', ' ', 'h', 'a', 'l', 'f', ' ', ' ', ' ', ' ', ' '}));
    write(lcd::select_display_page, {0x21, 0x00});
    EXPECT_EQ(data_of(read(lcd::display_text), lcd::display_text),
              (Bytes{0x21, 0x00, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}));
}

TEST_F(LcdPanelControllerTest, FaultsApplyToTheAddressedCommandOnly) {
    faults.add({FaultKind::BadStatus, DeviceKind::Smbus, {}, lcd::device_information, 1, 0, 0, lcd::device_address});
    faults.add({FaultKind::BadHeader, DeviceKind::Smbus, {}, lcd::management_log, 1, 0, 0, lcd::device_address});
    faults.add({FaultKind::BadChecksum, DeviceKind::Smbus, {}, lcd::rci_node_count, 1});
    faults.add({FaultKind::ShortAnswer, {}, {}, lcd::status, 1});
    const Bytes status_answer = read(lcd::status).output;
    EXPECT_EQ(status_answer[3], 6) << "one data byte lost";
    const Bytes refused = read(lcd::device_information).output;
    EXPECT_EQ(refused[4], lcd::status_refused);
    EXPECT_EQ(read(lcd::management_log).output[5], lcd::management_log + 1);
    const Bytes corrupted = read(lcd::rci_node_count).output;
    EXPECT_NE(static_cast<std::uint8_t>(corrupted[3] + corrupted[4] + corrupted[5] + corrupted[6] + corrupted[7]), 0);
    EXPECT_EQ(data_of(read(lcd::device_information), lcd::device_information).size(), 3u) << "spent after one";
}

TEST_F(LcdPanelControllerTest, InjectedErrorCodeStuckCounterAndFailingRequests) {
    faults.add({FaultKind::CompletionCode, {}, {}, lcd::select_rci_node, 1, 5});
    write(lcd::select_rci_node, {1});
    EXPECT_EQ(last_error(), 5);
    EXPECT_EQ(counter(), 1);
    faults.add({FaultKind::CounterStuck, {}, {}, {}, 1});
    write(lcd::select_rci_node, {1});
    EXPECT_EQ(counter(), 1);
    faults.add({FaultKind::FailWrite, {}, {}, {}, 1});
    EXPECT_EQ(write(lcd::select_rci_node, {1}).status, nt::io_device_error);
    faults.add({FaultKind::FailRead, {}, {}, lcd::status, 1});
    EXPECT_EQ(read(lcd::status).status, nt::io_device_error);
    EXPECT_EQ(counter(), 1) << "the failed write never arrived";
}

TEST(LcdPanelOnTheBus, TakesNoBusLockAndIsAbsentWithoutAProfile) {
    UnitProfile profile{{0x20, 0x81, 0x01, 0x10, 0x51, 0x3f}, 0, false};
    UnitState state = UnitState::initial(profile, 0);
    FaultPlan faults;
    UnitPort port(state, profile, faults, 0);
    SmbusController bus;
    bus.reset(panel_profile());
    ASSERT_EQ(bus.handle(MGXTB_IOCTL_SMBUS_LOCK, testing::lock_packet("other", 10000), 77, port).status, nt::success);
    EXPECT_EQ(bus.handle(MGXTB_IOCTL_SMBUS_TRANSFER, read_request(lcd::device_information), 48, port).status, nt::success);
    bus.reset(std::nullopt);
    EXPECT_EQ(bus.handle(MGXTB_IOCTL_SMBUS_TRANSFER, read_request(lcd::device_information), 48, port).status,
              nt::io_device_error);
}

}  // namespace
}  // namespace mgx::testbed
