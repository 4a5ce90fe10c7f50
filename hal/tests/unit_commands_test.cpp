// Boot monitoring, safe mode, FRU, fans, front panel, system information and store area:
// request bytes and answer unpacking against a stand-in unit.
#include <gtest/gtest.h>

#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_test.h"

namespace mgx::hal {
namespace {

using namespace testing;

class UnitCommandsTest : public HalTest {};

Bytes data_of(const Bytes &request) { return Bytes(request.begin() + 4, request.end()); }

TEST_F(UnitCommandsTest, SafeModeTakesOnlyZeroOrOne) {
    std::uint8_t answer = 2;
    FakeUnit unit([&answer](const Bytes &) { return Bytes{0x00, answer}; });
    std::int32_t mode = 9;
    EXPECT_EQ(MGXGetSafeMode(&mode), 0);
    EXPECT_EQ(mode, 9) << "any other value leaves the caller's";
    answer = 1;
    EXPECT_EQ(MGXGetSafeMode(&mode), 0);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(MGXSetSafeMode(0x100), 0);
    EXPECT_EQ(unit.requests().back(), (Bytes{0x22, 0x42, 0xE8, 1, 0x00}));
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 500));
}

TEST_F(UnitCommandsTest, BootMonitorSettingsGoOutAsEightBytes) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00}; });
    BootMonitorSettings settings{0, 5, 1800, 3, 0x1234, 2, 7};
    ASSERT_EQ(MGXSetPostBootMonTime(settings), 0);
    EXPECT_EQ(data_of(unit.requests().at(0)), (Bytes{0x40, 0x08, 0x07, 3, 0x34, 0x12, 2, 0}));
    settings = {1, 0, 60, 1, 60, 1, 1};
    ASSERT_EQ(MGXSetPostBootMonTime(settings), 0);
    EXPECT_EQ(data_of(unit.requests().at(1)), (Bytes{0x80, 60, 0, 1, 60, 0, 1, 1}));
}

TEST_F(UnitCommandsTest, BootMonitorSettingsReadLeavesTheSelectors) {
    Bytes answer = {0x00, 0x08, 0x07, 3, 0x34, 0x12, 2, 1};
    FakeUnit unit([&answer](const Bytes &) { return answer; });
    BootMonitorSettings settings{7, 8, 0, 0, 0, 0, 0};
    ASSERT_EQ(MGXGetPostBootMonTime(&settings), 0);
    EXPECT_EQ(settings.post_selector, 7);
    EXPECT_EQ(settings.os_boot_selector, 8);
    EXPECT_EQ(settings.post_timeout, 1800);
    EXPECT_EQ(settings.os_boot_timeout, 0x1234);
    EXPECT_EQ(settings.retry_method, 1);
    answer.pop_back();
    BootMonitorSettings untouched{};
    EXPECT_EQ(MGXGetPostBootMonTime(&untouched), status::answer_too_short);
    EXPECT_EQ(untouched.post_timeout, 0);
}

TEST_F(UnitCommandsTest, FruSourceChoosesTheUnitsStoreOrTheStorageCommands) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 0x00, 0x01, 0x01}; });
    MgxFruAreaInfo info{};
    ASSERT_EQ(MGXGetFruAreaInfo(0x105, 0, &info), 0);
    EXPECT_EQ(unit.requests().at(0), (Bytes{0x22, 0x10, 0x0A << 2, 1, 0x05}));
    ASSERT_EQ(MGXGetFruAreaInfo(2, 1, &info), 0);
    EXPECT_EQ(unit.requests().at(1), (Bytes{0x22, 0x51, 0xE8, 1, 0x02}));
    EXPECT_EQ(info.area_size, 256);
    EXPECT_EQ(info.word_access, 1);
}

TEST_F(UnitCommandsTest, FruReadAndWrite) {
    FakeUnit unit([](const Bytes &request) { return request[1] == 0x52 ? Bytes{0x00, 3, 0xAA, 0xBB, 0xCC} : Bytes{0x00, 24}; });
    MgxFruData data{};
    ASSERT_EQ(MGXReadFru(MgxFruRequest{1, 2, 0x0102, 3}, &data), 0);
    EXPECT_EQ(data_of(unit.requests().at(0)), (Bytes{2, 0x02, 0x01, 3}));
    EXPECT_EQ(data.count, 3);
    EXPECT_EQ(data.offset, 0x0102);
    EXPECT_EQ(Bytes(data.data, data.data + 3), (Bytes{0xAA, 0xBB, 0xCC}));

    MgxFruData write{1, 2, 16, 24, {}};
    std::memset(write.data, 0x77, sizeof write.data);
    std::uint8_t written = 0;
    ASSERT_EQ(MGXWriteFru(write, &written), 0);
    EXPECT_EQ(unit.requests().at(1).size(), 4u + 27u) << "3 + 24 data bytes";
    EXPECT_EQ(written, 24);
    write.count = 25;
    EXPECT_EQ(MGXWriteFru(write, &written), status::bad_argument) << "more than one request holds";
    EXPECT_EQ(unit.requests().size(), 2u);
}

TEST_F(UnitCommandsTest, FanControlHandsTheCompletionCodeBack) {
    FakeUnit unit([](const Bytes &) { return Bytes{0xC1}; });
    std::uint8_t out = 0;
    EXPECT_EQ(MGXFanRotControl(MgxFanControl{0x102, 0x12345, 9}, &out), 0xC1);
    EXPECT_EQ(out, 0xC1);
    EXPECT_EQ(data_of(unit.requests().at(0)), (Bytes{0x02, 0x45, 0x23}));
}

TEST_F(UnitCommandsTest, PanelControlPacksItsBitsAndLengths) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00}; });
    MgxPanelControl control{};
    control.device = 1;
    control.enable = 1;
    control.mode = 0x0B;  // low 3 bits: 011
    control.pattern = 0x05;
    control.parameter = 31;
    ASSERT_EQ(MGXLcdAndLedControl(control), 0);
    EXPECT_EQ(data_of(unit.requests().at(0)), (Bytes{1, 0x80 | 0x60 | 0x05, 31}));
    control.with_display = 1;
    control.display_mode = 4;
    control.display_attribute = 0x03;
    ASSERT_EQ(MGXLcdAndLedControl(control), 0);
    EXPECT_EQ(data_of(unit.requests().at(1)), (Bytes{1, 0xE5, 31, 0xC3}));
    control.display_mode = 1;
    control.text_length = 5;
    control.row = 1;
    control.column = 2;
    std::memcpy(control.text, "HELLO world", 11);
    ASSERT_EQ(MGXLcdAndLedControl(control), 0);
    EXPECT_EQ(data_of(unit.requests().at(2)), (Bytes{1, 0xE5, 31, 0x93, 5, 1, 2, 'H', 'E', 'L', 'L', 'O'}));
    control.parameter = 32;
    EXPECT_EQ(MGXLcdAndLedControl(control), status::bad_argument);
    control.parameter = 0;
    control.text_length = 17;
    EXPECT_EQ(MGXLcdAndLedControl(control), status::bad_argument);
    EXPECT_EQ(unit.requests().size(), 3u);
}

TEST_F(UnitCommandsTest, PanelReadTakesBothLinesAndOrsTheLedBits) {
    FakeUnit unit([](const Bytes &request) {
        Bytes answer(20, ' ');
        answer[0] = 0x00;
        answer[1] = request[4] == 0 ? 0x02 : 0x01;  // line 0: bit 1 set; line 1: bit 0 set
        std::memcpy(&answer[2], request[4] == 0 ? "LINE ZERO       " : "LINE ONE        ", 16);
        answer[18] = request[4] == 0 ? 0x02 : 0x05;
        answer[19] = request[4] == 0 ? 0x01 : 0x04;
        return answer;
    });
    MgxPanelState state;
    ASSERT_EQ(MGXLcdAndLedRead(&state), 0);
    EXPECT_EQ(data_of(unit.requests().at(0)), (Bytes{0, 0x13}));
    EXPECT_EQ(data_of(unit.requests().at(1)), (Bytes{1, 0x13}));
    EXPECT_EQ(state.flags[0], 1) << "second answer: bit 1 clear";
    EXPECT_EQ(state.flags[1], 0) << "second answer: bit 0 set";
    EXPECT_EQ(state.flags[2], 1);
    EXPECT_EQ(state.flags[3], 0);
    EXPECT_EQ(state.flags[4], 1);
    EXPECT_EQ(state.flags[5], 1) << "from the first answer";
    EXPECT_EQ(state.flags[6], 0);
    EXPECT_EQ(state.flags[7], 1) << "from the second answer";
    EXPECT_EQ(std::string(state.line[0], 16), "LINE ZERO       ");
    EXPECT_EQ(std::string(state.line[1], 16), "LINE ONE        ");
    FakeUnit short_answer([](const Bytes &) { return Bytes(19, 0); });
    EXPECT_EQ(MGXLcdAndLedRead(&state), status::answer_too_short);
}

TEST_F(UnitCommandsTest, SystemInformationPadsShortEntriesAndComputesTheCheckCode) {
    FakeUnit unit([](const Bytes &request) {
        switch (request[4]) {
        case 1: return Bytes{0x00, 5, 'A', 'B', 'C', 'D', 'E'};
        case 2: return Bytes{0x00, 3, 'x', 'y', 'z'};
        case 3: return Bytes{0x00, 13, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2', '3'};
        default: return Bytes{0x00, 7, 'A', 'N', 'Y', 'B', 'O', 'D', 'Y'};
        }
    });
    MgxSystemInformation info;
    ASSERT_EQ(MGXGetSystemInformation(&info), 0);
    ASSERT_EQ(unit.requests().size(), 4u);
    const SystemInformationEntry &entry0 = info.entries[0], &entry1 = info.entries[2], &entry2 = info.entries[1],
                                 &entry3 = info.entries[3];
    EXPECT_EQ(entry0.type, 3);
    EXPECT_EQ(entry0.length, 2);
    EXPECT_EQ(std::string(entry0.text), "00");
    EXPECT_EQ(entry1.length, 12);
    EXPECT_EQ(std::string(entry1.text, 12), "ABCDE#######");
    EXPECT_EQ(std::string(entry2.text, 12), "xyz#########");
    EXPECT_EQ(entry3.length, 13);
    unsigned sum = 0;
    for (char c : std::string("ABCDE#######1234567890123")) sum += static_cast<unsigned char>(c);
    sum &= 0xFF;
    EXPECT_EQ(info.check_code[0], static_cast<char>('A' + (sum & 0x0F)));
    EXPECT_EQ(info.check_code[1], static_cast<char>('A' + (sum >> 4)));
}

TEST_F(UnitCommandsTest, SystemInformationWriteAlwaysNamesVelmoraAndAlwaysWritesEntryThree) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00}; });
    MgxSystemInformation info{};
    ASSERT_EQ(MGXSetSystemInformation(info), 0);
    ASSERT_EQ(unit.requests().size(), 2u);
    EXPECT_EQ(unit.requests()[0], (Bytes{0x22, 0x55, 0xE8, 2, 3, 0}));
    EXPECT_EQ(unit.requests()[1], (Bytes{0x22, 0x50, 0xE8, 1, 2})) << "then the configuration note";
    info.entries[0].length = 5;
    std::memcpy(info.entries[0].text, "XYZ12", 5);
    info.entries[2].length = 3;  // entry 1
    std::memcpy(info.entries[2].text, "abc", 3);
    ASSERT_EQ(MGXSetSystemInformation(info), 0);
    EXPECT_EQ(unit.requests()[2], (Bytes{0x22, 0x55, 0xE8, 9, 0, 7, 'V', 'E', 'L', 'M', 'O', 'R', 'A'}));
    EXPECT_EQ(unit.requests()[3], (Bytes{0x22, 0x55, 0xE8, 5, 1, 3, 'a', 'b', 'c'}));
    info.entries[1].length = 26;  // entry 2, too long for a request
    EXPECT_EQ(MGXSetSystemInformation(info), status::bad_argument);
    EXPECT_EQ(unit.requests().size(), 6u) << "nothing more was sent";
}

TEST_F(UnitCommandsTest, StoreAreaReadComesInChunksOfSixteen) {
    FakeUnit unit([](const Bytes &request) {
        Bytes answer = {0x00, request[6]};
        for (int i = 0; i < request[6]; ++i) answer.push_back(static_cast<std::uint8_t>(request[4] + i));
        return answer;
    });
    MgxStoreBlock in{100, 40, {}}, out{};
    ASSERT_EQ(MGXReadTempForHcx(in, &out), 0);
    ASSERT_EQ(unit.requests().size(), 3u);
    EXPECT_EQ(data_of(unit.requests()[0]), (Bytes{100, 0, 16}));
    EXPECT_EQ(data_of(unit.requests()[1]), (Bytes{116, 0, 16}));
    EXPECT_EQ(data_of(unit.requests()[2]), (Bytes{132, 0, 8}));
    EXPECT_EQ(out.offset, 100);
    EXPECT_EQ(out.length, 40);
    EXPECT_EQ(out.data[0], 100);
    EXPECT_EQ(out.data[39], 139);
    EXPECT_EQ(MGXReadTempForHcx(MgxStoreBlock{500, 7, {}}, &out), status::bad_argument);
}

TEST_F(UnitCommandsTest, StoreAreaReadGivesUpAfterFortyEmptyAnswers) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 0}; });
    MgxStoreBlock out{};
    ASSERT_EQ(MGXReadTempForHcx(MgxStoreBlock{0, 10, {}}, &out), 0);
    EXPECT_EQ(unit.requests().size(), 40u);
    EXPECT_EQ(out.length, 0);
}

TEST_F(UnitCommandsTest, StoreAreaWriteSendsPositionFlagAndTheDataAtThatPosition) {
    FakeUnit unit([](const Bytes &request) { return Bytes{0x00, static_cast<std::uint8_t>(request[3] - 3)}; });
    MgxStoreBlock in{10, 20, {}};
    for (int i = 0; i < 506; ++i) in.data[i] = static_cast<std::uint8_t>(i);
    std::uint16_t written = 0;
    ASSERT_EQ(MGXWriteTempForHcx(in, &written), 0);
    ASSERT_EQ(unit.requests().size(), 2u);
    Bytes first = data_of(unit.requests()[0]), second = data_of(unit.requests()[1]);
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 3), (Bytes{10, 0, 0}));
    EXPECT_EQ(first[3], 10);
    EXPECT_EQ(first.back(), 25);
    EXPECT_EQ(Bytes(second.begin(), second.begin() + 3), (Bytes{26, 0, 1}));
    EXPECT_EQ(second.size(), 3u + 4u);
    EXPECT_EQ(written, 20);
}

TEST_F(UnitCommandsTest, StoreAreaWriteThatTheUnitStopsTakingEnds) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00, 0}; });
    std::uint16_t written = 5;
    ASSERT_EQ(MGXWriteTempForHcx(MgxStoreBlock{0, 30, {}}, &written), 0);
    EXPECT_EQ(unit.requests().size(), 40u);
    EXPECT_EQ(written, 0);
    FakeUnit failing([](const Bytes &request) { return request[4] == 16 ? Bytes{0xC0} : Bytes{0x00, 16}; });
    written = 5;
    EXPECT_EQ(MGXWriteTempForHcx(MgxStoreBlock{0, 64, {}}, &written), 0xC0) << "the second of four requests fails";
    EXPECT_EQ(failing.requests().size(), 2u);
    EXPECT_EQ(written, 5) << "the output is only written at the end";
}

}  // namespace
}  // namespace mgx::hal
