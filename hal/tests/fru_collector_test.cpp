// The FRU collector, the security and LCD queries and the transport attempts of the walk against
// a scripted controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <halcore/query_records.h>
#include <halcore/status_codes.h>

#include "fru_collector.h"
#include "hal_test.h"
#include "repository_walk.h"
#include "sensor_queries.h"

namespace mgx::hal {
namespace {

using testing::Bytes;
using testing::FakeUnit;

std::uint8_t command_of(const Bytes &request) { return request[1]; }
Bytes data_of(const Bytes &request) { return Bytes(request.begin() + 4, request.end()); }

// An inventory with a board area whose product name is `name`.
Bytes board_inventory(const std::string &name) {
    Bytes area = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC4, 'M', 'a', 'k', 'r', static_cast<std::uint8_t>(0xC0 | name.size())};
    area.insert(area.end(), name.begin(), name.end());
    area.push_back(0xC1);
    while ((area.size() + 1) % 8) area.push_back(0);
    area[1] = static_cast<std::uint8_t>((area.size() + 1) / 8);
    std::uint8_t sum = 0;
    for (std::uint8_t byte : area) sum = static_cast<std::uint8_t>(sum + byte);
    area.push_back(static_cast<std::uint8_t>(-sum));
    const Bytes header = {0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFE};
    Bytes image(header.size() + area.size());
    std::copy(area.begin(), area.end(), std::copy(header.begin(), header.end(), image.begin()));
    return image;
}

Bytes locator(std::uint8_t entity, std::uint8_t instance) {
    Bytes record(16, 0);
    record[3] = 0x10;
    record[10] = 0x10;
    record[12] = entity;
    record[13] = instance;
    return record;
}

// FRU device 0 holding `image`, read by bytes or by words.
std::optional<Bytes> fru_device(const Bytes &request, const Bytes &image, bool by_words) {
    const Bytes data = data_of(request);
    if (command_of(request) == 0x10)
        return Bytes{0x00, static_cast<std::uint8_t>(image.size()), static_cast<std::uint8_t>(image.size() >> 8),
                     by_words ? std::uint8_t{1} : std::uint8_t{0}};
    const std::size_t offset = data[1] | data[2] << 8, count = std::min<std::size_t>(data[3], image.size() - offset);
    Bytes out = {0x00, static_cast<std::uint8_t>(by_words ? count / 2 : count)};
    out.insert(out.end(), image.begin() + offset, image.begin() + offset + count);
    return out;
}

class FruCollector : public testing::HalTest {
protected:
    void TearDown() override {
        free_fru_lists();
        HalTest::TearDown();
    }
};

TEST_F(FruCollector, PowerSupplyInstancesAreKeptForTheFirstEightRecordsOnly) {
    const Bytes image = board_inventory("PSU");
    FakeUnit unit([&](const Bytes &request) { return fru_device(request, image, false); });
    clear_psu_instances();
    for (std::uint8_t instance = 1; instance <= 9; ++instance) collect_fru(locator(0x0A, instance));
    FruInventoryRecord record{};
    EXPECT_EQ(power_supply_fru(8, &record), status::ok);
    EXPECT_EQ(std::string(record.slots[0].text), "PSU");
    EXPECT_EQ(power_supply_fru(9, &record), 1) << "the ninth record has no place in the table";
    EXPECT_EQ(power_supply_fru(0, &record), 1);
    EXPECT_EQ(power_supply_fru(1, nullptr), 1);
}

TEST_F(FruCollector, WordAccessCountsUnitsOfTwoBytes) {
    const Bytes image = board_inventory("Word");
    FakeUnit unit([&](const Bytes &request) { return fru_device(request, image, true); });
    InventoryBuffer buffer{};
    std::size_t read = 0;
    ASSERT_EQ(read_fru_inventory(buffer, read), status::ok) << "4 units and 8 bytes";
    EXPECT_EQ(read, image.size());
    EXPECT_EQ(std::memcmp(buffer.data(), image.data(), image.size()), 0);

    FakeUnit lying([&](const Bytes &request) {
        std::optional<Bytes> answer = fru_device(request, image, false);
        if (command_of(request) == 0x10) (*answer)[3] = 1;  // claims words, counts bytes
        return answer;
    });
    EXPECT_EQ(read_fru_inventory(buffer, read), 1);
}

TEST_F(FruCollector, OtherDeviceTypesAndFailedReadsAddNothing) {
    const Bytes image = board_inventory("Gen");
    FakeUnit unit([&](const Bytes &request) -> std::optional<Bytes> {
        if (command_of(request) == 0x10) return Bytes{0xCB};
        return fru_device(request, image, false);
    });
    collect_fru(locator(0x07, 1));
    std::int32_t cursor = 0;
    FruInventoryRecord record{};
    EXPECT_EQ(inventory_fru_info(&cursor, &record), 3);
    Bytes eeprom = locator(0x07, 1);
    eeprom[10] = 0x08;
    collect_fru(eeprom);
    EXPECT_EQ(inventory_fru_info(&cursor, &record), 3);
    EXPECT_EQ(inventory_fru_info(nullptr, &record), status::bad_argument);
}

// A NULL record is refused only where one would be filled: the lists' own answers come first.
TEST_F(FruCollector, NullRecordsAnswerWhatTheListAnswersFirst) {
    const Bytes image = board_inventory("Board");
    FakeUnit unit([&](const Bytes &request) { return fru_device(request, image, false); });
    collect_fru(locator(0x07, 1));  // one general record
    std::int32_t cursor = 0, past_end = 1;
    EXPECT_EQ(inventory_fru_info(&cursor, nullptr), status::bad_argument);
    EXPECT_EQ(inventory_fru_info(&past_end, nullptr), 3);
    EXPECT_EQ(physical_container_fru_info(nullptr), 3) << "no chassis record";
    EXPECT_EQ(memory_module_fru_info(1, nullptr), 3);
    EXPECT_EQ(processor_fru_info(0, nullptr), 3);
}

TEST_F(FruCollector, LcdTextTakesLinesUpToItsFieldAndRefusesInconsistentAnswers) {
    std::uint8_t line_code = 0xC6;
    bool consistent = true;
    FakeUnit unit([&](const Bytes &request) -> std::optional<Bytes> {
        if (command_of(request) == 0x34) return Bytes{0x00, 10, 3};  // ten lines on panel 3
        Bytes out = {line_code, 16};
        out.resize(18, static_cast<std::uint8_t>('a' + data_of(request)[1]));
        if (!consistent) out[1] = 20;
        return out;
    });
    LcdInfoRecord description{};
    ASSERT_EQ(local_lcd_description(&description), status::ok);
    EXPECT_EQ(description.line_count, 10u);
    EXPECT_EQ(description.name.length, 16);
    LcdTextRecord text{};
    ASSERT_EQ(local_lcd_text(&text), status::ok) << "0xC6 is taken as an answer";
    EXPECT_EQ(text.length, 127) << "ten lines of 16 cut to the field";
    EXPECT_EQ(text.text[127], '\0');
    EXPECT_EQ(text.text[16], 'b');
    EXPECT_EQ(data_of(unit.requests().back()), (Bytes{3, 9, 0})) << "every line is asked for; what does not fit is cut";
    consistent = false;
    EXPECT_EQ(local_lcd_text(&text), 1);
    consistent = true;
    line_code = 0xC0;
    EXPECT_EQ(local_lcd_text(&text), 1);
    EXPECT_EQ(local_lcd_text(nullptr), status::bad_argument);
}

TEST_F(FruCollector, TransportFailuresOfTheWalkAreTriedTenTimes) {
    FakeUnit unit([](const Bytes &) { return std::optional<Bytes>(); });
    WalkBuffer buffer{};
    std::size_t stored = 0;
    EXPECT_NE(read_repository_record(0, buffer, stored), 0);
    std::size_t reservations = 0, reads = 0;
    for (const Bytes &request : unit.requests()) (command_of(request) == 0x22 ? reservations : reads) += 1;
    // Each request on the library path is itself tried five times.
    EXPECT_EQ(reservations, 10u * 5);
    EXPECT_EQ(reads, 10u * 5);
}

}  // namespace
}  // namespace mgx::hal
