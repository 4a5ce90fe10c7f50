// The LCD panel and RCI exports end to end: the real SMBus driver and the virtual server's panel
// controller at 0x18, with the acer profile's device information, RCI chain and display pages.
#include <gtest/gtest.h>

#include <array>
#include <span>
#include <string>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "testbed_machines.h"
#include "text/hex.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::hal {
namespace {

using Packet = std::array<std::uint8_t, 48>;

// The answer's data bytes as hexadecimal text.
std::string data_of(const Packet &packet) { return text::to_hex(std::span(packet).subspan(6, packet[3] - 3)); }

// The inputs of the logged exchanges, each shortened to its first bytes.
std::vector<std::string> sent(const nlohmann::json &entries, std::size_t bytes = 4) {
    std::vector<std::string> inputs;
    for (const nlohmann::json &entry : entries)
        inputs.push_back(entry[control_key::input].get<std::string>().substr(0, bytes * 3 - 1));
    return inputs;
}

class OnAcerPanel : public OnAcer {
protected:
    void SetUp() override {
        OnAcer::SetUp();
        ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
        ASSERT_EQ(type, SmbusUp);
        control_request(mgx::testbed::control::clear_log);
    }
    void set_panel(nlohmann::json fields) {
        control_request(mgx::testbed::control::set_lcd_panel, {{control_key::lcd_panel, std::move(fields)}});
    }
    Packet packet{};
};

TEST_F(OnAcerPanel, ReadsAnswerTheProfilesDeviceInformationAndRciChain) {
    ASSERT_EQ(HCXGetSmbLcdDevInfo(packet.data()), status::ok);
    EXPECT_EQ(packet[4], 0x30);
    EXPECT_EQ(packet[5], 0xC0);
    EXPECT_EQ(data_of(packet), "01 02 10 00 4c 43 44 2d 32 30 34 30");
    ASSERT_EQ(HCXGetSmbLcdMgmtLogInfo(packet.data()), status::ok);
    EXPECT_EQ(data_of(packet), "00 03 00 40 00 00 12 5e");
    ASSERT_EQ(HCXGetSmbRCINumNode(packet.data()), status::ok);
    EXPECT_EQ(packet[6], 2) << "two nodes";
    ASSERT_EQ(HCXGetSmbRciDevInfo(2, packet.data()), status::ok);
    EXPECT_EQ(data_of(packet), "02 00 52 43 49 2d 46 41 4e 20 00 01");
    control_request(mgx::testbed::control::clear_log);
    ASSERT_EQ(HCXGetSmbRciDevUnitInfo(1, 2, packet.data()), status::ok);
    EXPECT_EQ(data_of(packet), "02 01 00 50");
    // Status, the counted write with its checksum, status, the read; no bus lock.
    const nlohmann::json entries = log();
    EXPECT_EQ(sent(entries, 8), (std::vector<std::string>{"18 0b ce 00 00 00 00 00", "18 0a d3 03 01 02 f7 00",
                                                          "18 0b ce 00 00 00 00 00", "18 0b d4 00 00 00 00 00"}));
    EXPECT_EQ(entries[1][control_key::output_capacity], 0);
}

TEST_F(OnAcerPanel, DisplayTextComesFromTheFirstSelectorThatIsNotBlank) {
    char text[32];
    ASSERT_EQ(HCXGetSmbLcdDisp(text), status::ok);
    EXPECT_EQ(std::string(text, 32), "GK7 Tower 700   System ready    ");
    EXPECT_EQ(log().size(), 8u) << "two counted writes (three requests each) and two reads";

    set_panel({{"pages", {{"00 00", ""}, {"00 10", ""}}}});
    ASSERT_EQ(HCXGetSmbLcdDisp(text), status::ok);
    EXPECT_EQ(std::string(text, 32), "Fans   4 runningTemp  CPU1 38 C ");

    set_panel({{"pages", {{"01 00", ""}, {"01 10", ""}}}});
    control_request(mgx::testbed::control::clear_log);
    ASSERT_EQ(HCXGetSmbLcdDisp(text), status::ok);
    EXPECT_EQ(std::string(text, 32), std::string(32, ' '));
    const nlohmann::json entries = log();
    std::vector<std::string> selections;
    for (const std::string &input : sent(entries, 6))
        if (input.starts_with("18 0a de")) selections.push_back(input.substr(12));
    EXPECT_EQ(selections, (std::vector<std::string>{"00 00", "00 10", "01 00", "01 10", "10 00", "11 00", "11 00", "21 00"}));
    EXPECT_EQ(entries.size(), 32u);
}

TEST_F(OnAcerPanel, OnlyTheLowBytesOfNodeAndUnitNumbersGoOut) {
    EXPECT_EQ(HCXGetSmbRciDevInfo(300, packet.data()), 2) << "node 44 is not in the chain: the device's own error code";
    EXPECT_EQ(sent(log(), 6)[1], "18 0a d1 02 2c d1");
    control_request(mgx::testbed::control::clear_log);
    EXPECT_EQ(HCXGetSmbRciDevUnitInfo(257, 258, packet.data()), status::ok) << "node 1, unit 2";
    EXPECT_EQ(data_of(packet), "02 01 00 50");
}

TEST_F(OnAcerPanel, EachDeviceFaultGivesItsStatus) {
    struct Case {
        const char *what;
        nlohmann::json fault;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {"answer checksum wrong",
         {{control_key::kind, "bad-checksum"}, {control_key::address, 0x18}, {control_key::command, 0xD2}},
         status::smb_answer_wrong},
        {"status byte 0x31",
         {{control_key::kind, "bad-status"}, {control_key::address, 0x18}, {control_key::command, 0xD2}},
         status::smb_answer_wrong},
        {"command not echoed",
         {{control_key::kind, "bad-header"}, {control_key::address, 0x18}, {control_key::command, 0xD2}},
         status::smb_answer_wrong},
        {"counter not advancing",
         {{control_key::kind, "counter-stuck"}, {control_key::address, 0x18}},
         status::smb_write_not_counted},
        {"error code in byte 9",
         {{control_key::kind, "completion-code"},
          {control_key::address, 0x18},
          {control_key::command, 0xD1},
          {control_key::code, 9}},
         9},
        {"status read failing",
         {{control_key::kind, "fail-read"}, {control_key::address, 0x18}, {control_key::command, 0xCE}, {control_key::skip, 1}},
         status::smb_status_read_failed},
        {"write failing", {{control_key::kind, "fail-write"}, {control_key::address, 0x18}}, status::send_receive_failed},
        {"read failing",
         {{control_key::kind, "fail-read"}, {control_key::address, 0x18}, {control_key::command, 0xD2}},
         status::send_receive_failed},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        nlohmann::json once = test.fault;
        once["count"] = 1;
        fault(once);
        EXPECT_EQ(HCXGetSmbRciDevInfo(1, packet.data()), test.expected);
        control_request(mgx::testbed::control::clear_faults);
        EXPECT_EQ(HCXGetSmbRciDevInfo(1, packet.data()), status::ok) << "the device works again";
    }
}

TEST_F(OnAcerPanel, AWrappingWriteCounterIsNoAdvanceByOne) {
    set_panel({{"write_counter", 0xFFFF}});
    EXPECT_EQ(HCXGetSmbRciDevInfo(1, packet.data()), status::smb_write_not_counted);
    EXPECT_EQ(control_request(mgx::testbed::control::status)[control_key::lcd_panel][control_key::write_counter], 0);
    EXPECT_EQ(HCXGetSmbRciDevInfo(1, packet.data()), status::ok);
}

TEST_F(OnIntel, SmbusDeviceExportsNeedTheSmbusBackEnd) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    Packet packet{};
    char text[32];
    EXPECT_EQ(HCXGetSmbLcdDevInfo(packet.data()), status::interface_unavailable);
    EXPECT_EQ(HCXGetSmbRciDevUnitInfo(1, 1, packet.data()), status::interface_unavailable);
    EXPECT_EQ(HCXGetSmbLcdDisp(text), status::interface_unavailable);
}

TEST_F(OnVelmora, SmbusDeviceExportsNeedTheSmbusBackEnd) {
    ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
    control_request(mgx::testbed::control::clear_log);
    Packet packet{};
    EXPECT_EQ(HCXGetSmbRCINumNode(packet.data()), status::interface_unavailable);
    EXPECT_TRUE(log().empty()) << "nothing reached a device";
}

}  // namespace
}  // namespace mgx::hal
