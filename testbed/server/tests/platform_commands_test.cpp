// The controller's platform side: the repository and its reservations, sensor readings at their
// owners' addresses, FRU device 0 read by words, and the encoder behind the shipped files.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>

#include "inventory_encoder.h"
#include "management_unit.h"
#include "profile.h"

namespace mgx::testbed {
namespace {

using nlohmann::json;

std::filesystem::path shipped(const char *name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / "profiles" / name;
}

Bytes file_bytes(const std::filesystem::path &file) {
    std::ifstream stream(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

json source(const char *name) {
    std::ifstream stream(shipped("sources") / name);
    return json::parse(stream);
}

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        profile = load_profile(shipped("acer.json")).unit;
        state = UnitState::initial(profile, 0);
    }
    UnitReply send(std::uint8_t netfn, std::uint8_t command, Bytes data, std::uint8_t target = unit_target) {
        return answer_request(state, profile, 0, {netfn, command, std::move(data), target});
    }
    std::uint16_t reserve() {
        const Bytes id = send(0x0A, 0x22, {}).answer.data;
        return static_cast<std::uint16_t>(id[0] | id[1] << 8);
    }
    UnitReply get_record(std::uint16_t reservation, std::uint16_t id, std::uint8_t offset, std::uint8_t count) {
        return send(0x0A, 0x23,
                    {static_cast<std::uint8_t>(reservation), static_cast<std::uint8_t>(reservation >> 8),
                     static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), offset, count});
    }

    UnitProfile profile;
    UnitState state;
};

TEST(InventoryEncoder, TheShippedFilesAreWhatTheEncoderMakesOfTheirSources) {
    EXPECT_EQ(encode_repository(source("acer.sdr.json")), file_bytes(shipped("acer.sdr")));
    EXPECT_EQ(encode_fru_image(source("acer.fru.json")), file_bytes(shipped("acer.fru")));
}

TEST(InventoryEncoder, RecordsHaveTheirStandardLayouts) {
    const Bytes full =
        encode_repository({{"records", {{{"kind", "full"}, {"number", 7}, {"m", -2}, {"r_exp", -1}, {"name", "T"}}}}});
    ASSERT_EQ(full.size(), 49u) << "the name from offset 48";
    EXPECT_EQ(Bytes(full.begin(), full.begin() + 5), (Bytes{1, 0, 0x51, 0x01, 44}));
    EXPECT_EQ(full[24], 0xFE) << "M low byte";
    EXPECT_EQ(full[25] & 0xC0, 0xC0) << "M's two high bits";
    EXPECT_EQ(full[29], 0xF0) << "R exponent -1, B exponent 0";
    EXPECT_EQ(full[47], 0xC1);
    EXPECT_EQ(full[48], 'T');
    const Bytes compact = encode_repository({{"records", {{{"kind", "compact"}, {"share", 4}, {"name", "DIMM"}}}}});
    EXPECT_EQ(compact[23], 4);
    EXPECT_EQ(compact[30], 0xC4) << "the IPMI 1.0 compact layout: ID string at offset 30";
    const Bytes image = encode_fru_image({{"board", {{"manufacturer", "ACME"}}}, {"size", 64}});
    std::uint8_t sum = 0;
    for (int i = 0; i < 8; ++i) sum = static_cast<std::uint8_t>(sum + image[i]);
    EXPECT_EQ(sum, 0) << "header checksum";
    EXPECT_EQ(image[3], 1) << "board area right after the header";
    EXPECT_THROW(encode_repository({{"records", {{{"kind", "full"}, {"m", 600}}}}}), std::runtime_error);
}

TEST(SensorRepositoryDump, BadDumpsAreRefusedWithTheirReason) {
    EXPECT_THROW(SensorRepository::from_dump(Bytes{1, 0, 0x51, 0x01, 10, 0}), std::runtime_error) << "cut short";
    EXPECT_THROW(SensorRepository::from_dump(Bytes{1, 0, 0x51, 0x01, 0, 1, 0, 0x51, 0x01, 0}), std::runtime_error) << "ID twice";
    EXPECT_THROW(SensorRepository::from_dump(Bytes{0xFF, 0xFF, 0x51, 0x01, 0}), std::runtime_error);
    const SensorRepository two = SensorRepository::from_dump(Bytes{5, 0, 0x51, 0x01, 0, 9, 0, 0x51, 0x02, 0});
    EXPECT_EQ(two.find(0)->next_id, 9) << "ID 0 is the first record";
    EXPECT_EQ(two.find(9)->next_id, sdr_last_record);
    EXPECT_FALSE(two.find(6).has_value());
    EXPECT_EQ(two.dump().size(), 10u);
}

TEST_F(PlatformTest, RecordsAreReadInPiecesUnderTheReservationInForce) {
    ASSERT_GE(state.repository.records().size(), 40u);
    const std::uint16_t reservation = reserve();
    EXPECT_NE(reservation, 0);
    const UnitReply first = get_record(0, 0, 0, 16);
    ASSERT_EQ(first.answer.completion_code, 0) << "offset 0 needs no reservation";
    ASSERT_EQ(first.answer.data.size(), 18u);
    const Bytes &record = state.repository.records()[0];
    EXPECT_EQ(Bytes(first.answer.data.begin() + 2, first.answer.data.end()), Bytes(record.begin(), record.begin() + 16));
    const UnitReply rest = get_record(reservation, 1, 16, 16);
    EXPECT_EQ(rest.answer.completion_code, 0);
    EXPECT_EQ(rest.answer.data[2], record[16]);
    reserve();
    EXPECT_EQ(get_record(reservation, 1, 16, 16).answer.completion_code, completion::reservation_cancelled)
        << "a new reservation cancels the old one";
    EXPECT_EQ(get_record(0, 0x7777, 0, 16).answer.completion_code, completion::not_present);
}

TEST_F(PlatformTest, SensorsAnswerAtTheirOwnersAddress) {
    // PSU1 Temp (number 0x10) belongs to the controller at 0x2C: target 0x16.
    EXPECT_TRUE(state.answers_at(0x16));
    EXPECT_FALSE(state.answers_at(0x33));
    const UnitReply psu = send(0x04, 0x2D, {0x10}, 0x16);
    ASSERT_EQ(psu.answer.completion_code, 0);
    EXPECT_EQ(psu.answer.data[0], 45) << "its nominal reading until one is set";
    EXPECT_EQ(send(0x04, 0x2D, {0x10}, 0x10).answer.completion_code, completion::not_present) << "not owned by 0x20";
    state.readings[0x2C << 8 | 0x41] = {0x00, 0x40, 0x05};
    const UnitReply shared = send(0x04, 0x2D, {0x41}, 0x16);
    EXPECT_EQ(shared.answer.data, (Bytes{0x00, 0x40, 0x05, 0x80})) << "the second sensor of a shared record";
}

TEST_F(PlatformTest, FruDeviceReadByWordsCountsWords) {
    profile.fru_word_access = true;
    const UnitReply info = send(0x0A, 0x10, {0});
    EXPECT_EQ(info.answer.data, (Bytes{0x00, 0x01, 0x01}));
    const UnitReply read = send(0x0A, 0x11, {0, 0, 0, 8});
    ASSERT_EQ(read.answer.data.size(), 9u);
    EXPECT_EQ(read.answer.data[0], 4) << "four words";
    EXPECT_EQ(Bytes(read.answer.data.begin() + 1, read.answer.data.end()),
              Bytes(state.memory.fru_device.begin(), state.memory.fru_device.begin() + 8));
}

TEST_F(PlatformTest, ChassisStatusAndLcdLines) {
    EXPECT_EQ(send(0x00, 0x01, {}).answer.data, profile.chassis_status);
    EXPECT_EQ(send(0x06, 0x34, {}).answer.data, (Bytes{2, 1}));
    state.memory.panel.lines[1] = "Line two        ";
    const UnitReply line = send(0x06, 0x31, {1, 1, 0});
    EXPECT_EQ(line.answer.data[0], 16);
    EXPECT_EQ(std::string(line.answer.data.begin() + 1, line.answer.data.end()), "Line two        ");
    EXPECT_EQ(send(0x06, 0x31, {1, 2, 0}).answer.completion_code, completion::parameter_out_of_range);
}

}  // namespace
}  // namespace mgx::testbed
