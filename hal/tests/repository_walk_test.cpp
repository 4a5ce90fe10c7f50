// The repository walk and the local queries against a scripted controller: the requests the
// walk makes, its answers to cancelled reservations, missing and oversized records, and the
// queries' readings, FRU records, chassis security and LCD text.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "fru_collector.h"
#include "hal_test.h"
#include "query_api_table.h"
#include "repository_walk.h"
#include "sensor_cache.h"
#include "sensor_lock.h"
#include "sensor_queries.h"

namespace mgx::hal {
namespace {

using testing::Bytes;
using testing::FakeUnit;

struct Request {
    std::uint8_t netfn, command;
    Bytes data;
};

Request parsed(const Bytes &bytes) {
    return {static_cast<std::uint8_t>(bytes[2] >> 2), bytes[1], Bytes(bytes.begin() + 4, bytes.end())};
}

Bytes sensor_record(std::uint16_t id, std::uint8_t number, std::uint8_t body_length = 43) {
    Bytes record(5 + body_length, 0);
    record[0] = static_cast<std::uint8_t>(id);
    record[1] = static_cast<std::uint8_t>(id >> 8);
    record[3] = 0x01;
    record[4] = body_length;
    record[5] = 0x20;
    record[7] = number;
    record[12] = 0x01;  // temperature
    record[13] = 0x01;
    record[21] = 1;
    record[24] = 1;
    return record;
}

// A controller with a repository (records by ID, in order) and a sensor reading.
class ScriptedController {
public:
    std::vector<Bytes> records;
    std::map<std::uint16_t, std::uint16_t> links;  // next-record IDs of a corrupt chain, by record ID
    std::map<std::uint8_t, int> fail_next;         // command -> completion codes to answer first
    std::uint8_t fail_code = 0xC5;
    Bytes reading = {35, 0xC0, 0x00};
    std::uint16_t reservation = 0;

    std::optional<Bytes> answer(const Bytes &bytes) {
        const Request request = parsed(bytes);
        if (auto failing = fail_next.find(request.command); failing != fail_next.end() && failing->second > 0) {
            --failing->second;
            return Bytes{fail_code};
        }
        if (request.netfn == 0x0A && request.command == 0x22) {
            ++reservation;
            return Bytes{0x00, static_cast<std::uint8_t>(reservation), 0x00};
        }
        if (request.netfn == 0x0A && request.command == 0x23) return record_piece(request.data);
        if (request.netfn == 0x04 && request.command == 0x2D) {
            Bytes out = {0x00};
            out.insert(out.end(), reading.begin(), reading.end());
            return out;
        }
        return Bytes{0xC1};
    }

private:
    std::optional<Bytes> record_piece(const Bytes &data) {
        const std::uint16_t id = static_cast<std::uint16_t>(data[2] | data[3] << 8);
        for (std::size_t i = 0; i < records.size(); ++i) {
            if ((id == 0 && i != 0) || (id != 0 && (records[i][0] | records[i][1] << 8) != id)) continue;
            std::uint16_t next =
                i + 1 < records.size() ? static_cast<std::uint16_t>(records[i + 1][0] | records[i + 1][1] << 8) : 0xFFFF;
            if (auto link = links.find(static_cast<std::uint16_t>(records[i][0] | records[i][1] << 8)); link != links.end())
                next = link->second;
            Bytes out = {0x00, static_cast<std::uint8_t>(next), static_cast<std::uint8_t>(next >> 8)};
            const std::size_t offset = data[4],
                              count = std::min<std::size_t>(data[5],
                                                            records[i].size() - std::min<std::size_t>(offset, records[i].size()));
            out.insert(out.end(), records[i].begin() + offset, records[i].begin() + offset + count);
            return out;
        }
        return Bytes{0xCB};
    }
};

class RepositoryWalk : public testing::HalTest {
protected:
    void SetUp() override {
        HalTest::SetUp();
        sensor_cache().clear();
        free_fru_lists();
    }
    void TearDown() override {
        sensor_cache().clear();
        free_fru_lists();
        destroy_sensor_lock();
        HalTest::TearDown();
    }
    // The Get SDR requests as {record ID, offset, count}.
    std::vector<std::array<int, 3>> record_reads(const FakeUnit &unit) {
        std::vector<std::array<int, 3>> reads;
        for (const Bytes &bytes : unit.requests()) {
            const Request request = parsed(bytes);
            if (request.command == 0x23)
                reads.push_back({request.data[2] | request.data[3] << 8, request.data[4], request.data[5]});
        }
        return reads;
    }
    ScriptedController controller;
};

TEST_F(RepositoryWalk, RecordsAreReadInPiecesAfterAReservationEach) {
    controller.records = {sensor_record(1, 0x10), sensor_record(2, 0x11)};
    FakeUnit unit([this](const Bytes &bytes) { return controller.answer(bytes); });
    walk_repository();
    // 48 bytes each: 16, then from offset 16 with 16 and 16.
    EXPECT_EQ(record_reads(unit),
              (std::vector<std::array<int, 3>>{{0, 0, 16}, {0, 16, 16}, {0, 32, 16}, {2, 0, 16}, {2, 16, 16}, {2, 32, 16}}));
    EXPECT_EQ(controller.reservation, 2) << "one reservation per record";
    EXPECT_EQ(parsed(unit.requests()[2]).data[0], 1) << "the reservation goes with the pieces";
    EXPECT_EQ(sensor_cache().count(1), 2);
}

TEST_F(RepositoryWalk, CancelledReservationRereadsThePreviousRecordAndTheSixthCancelStops) {
    controller.records = {sensor_record(1, 0x10), sensor_record(2, 0x11), sensor_record(3, 0x12)};
    int cancels = 1;
    FakeUnit unit([this, &cancels](const Bytes &bytes) {
        const Request request = parsed(bytes);
        // Record 2's first piece is cancelled once.
        if (request.command == 0x23 && request.data[2] == 2 && request.data[4] == 0 && cancels-- > 0)
            return std::optional<Bytes>(Bytes{0xC5});
        return controller.answer(bytes);
    });
    walk_repository();
    const auto reads = record_reads(unit);
    EXPECT_EQ(reads[3], (std::array<int, 3>{2, 0, 16}));
    EXPECT_EQ(reads[4], (std::array<int, 3>{0, 0, 16})) << "the previous record again";
    EXPECT_EQ(sensor_cache().count(1), 4) << "the re-read record is filed twice";
}

// A chain that loops ends the walk at the first record ID processed before, whether it names
// the first record by 0 or by its own ID.
TEST_F(RepositoryWalk, LoopingChainEndsAtTheFirstRecordSeenBefore) {
    const struct {
        const char *name;
        std::map<std::uint16_t, std::uint16_t> links;
        std::vector<int> records_read;
        int sensors;
    } cases[] = {
        {"1 -> 0", {{1, 0}}, {0}, 1},
        {"1 -> 2 -> 1", {{2, 1}}, {0, 2}, 2},
        {"3 -> 3", {{3, 3}}, {0, 2, 3}, 3},
    };
    for (const auto &loop : cases) {
        SCOPED_TRACE(loop.name);
        sensor_cache().clear();
        controller.records = {sensor_record(1, 0x10), sensor_record(2, 0x11), sensor_record(3, 0x12)};
        controller.links = loop.links;
        FakeUnit unit([this](const Bytes &bytes) { return controller.answer(bytes); });
        walk_repository();
        std::vector<int> first_pieces;
        for (const auto &read : record_reads(unit))
            if (read[1] == 0) first_pieces.push_back(read[0]);
        EXPECT_EQ(first_pieces, loop.records_read);
        EXPECT_EQ(sensor_cache().count(1), loop.sensors);
    }
}

// 65,535 records, IDs 0 to 0xFFFE, are all read; a chain that then wraps to 0 ends there.
TEST_F(RepositoryWalk, RepositoryOfTheMaximumSizeIsReadToItsEnd) {
    for (const std::uint16_t after_last : {std::uint16_t{0xFFFF}, std::uint16_t{0}}) {
        SCOPED_TRACE(after_last);
        std::size_t reads = 0;
        FakeUnit unit([&reads, after_last](const Bytes &bytes) -> std::optional<Bytes> {
            const Request request = parsed(bytes);
            if (request.command == 0x22) return Bytes{0x00, 0x01, 0x00};
            ++reads;
            const std::uint16_t id = static_cast<std::uint16_t>(request.data[2] | request.data[3] << 8);
            const std::uint16_t next = id == 0xFFFE ? after_last : static_cast<std::uint16_t>(id + 1);
            // The answer in the order of its bytes.
            // clang-format off
            return Bytes{0x00, static_cast<std::uint8_t>(next), static_cast<std::uint8_t>(next >> 8), static_cast<std::uint8_t>(id),
                         static_cast<std::uint8_t>(id >> 8), 0x51, 0xC0, 0x00};
            // clang-format on
        });
        walk_repository();
        EXPECT_EQ(reads, max_repository_records);
    }
}

TEST_F(RepositoryWalk, SixCancelsEndTheWalk) {
    controller.records = {sensor_record(1, 0x10)};
    controller.fail_next[0x23] = 100;
    FakeUnit unit([this](const Bytes &bytes) { return controller.answer(bytes); });
    walk_repository();
    EXPECT_EQ(record_reads(unit).size(), 6u);
    EXPECT_EQ(sensor_cache().count(1), 0);
}

TEST_F(RepositoryWalk, MissingRecordOrOtherCodeStopsAndKeepsWhatWasRead) {
    controller.records = {sensor_record(1, 0x10), sensor_record(5, 0x11)};
    controller.records[0][0] = 1;
    FakeUnit unit([this](const Bytes &bytes) {
        const Request request = parsed(bytes);
        if (request.command == 0x23 && request.data[2] == 5) return std::optional<Bytes>(Bytes{0xCB});
        return controller.answer(bytes);
    });
    walk_repository();
    EXPECT_EQ(sensor_cache().count(1), 1);
    WalkBuffer buffer{};
    std::size_t stored = 0;
    EXPECT_EQ(read_repository_record(5, buffer, stored), record_read::no_such_record);
    controller.fail_code = 0xC0;
    controller.fail_next[0x23] = 1;
    EXPECT_EQ(read_repository_record(1, buffer, stored), record_read::failed);
}

TEST_F(RepositoryWalk, RecordTooLongForTheBufferIsSkippedAndTheWalkGoesOn) {
    controller.records = {sensor_record(1, 0x10, 200), sensor_record(2, 0x11)};
    FakeUnit unit([this](const Bytes &bytes) { return controller.answer(bytes); });
    walk_repository();
    const auto reads = record_reads(unit);
    EXPECT_EQ(reads[0], (std::array<int, 3>{0, 0, 16}));
    EXPECT_EQ(reads[1], (std::array<int, 3>{2, 0, 16})) << "no further piece of the long record";
    EXPECT_EQ(sensor_cache().count(1), 1);
}

TEST_F(RepositoryWalk, ReservationFailureSendsReservationZero) {
    controller.records = {sensor_record(1, 0x10)};
    controller.fail_code = 0xC1;
    controller.fail_next[0x22] = 1;
    FakeUnit unit([this](const Bytes &bytes) { return controller.answer(bytes); });
    WalkBuffer buffer{};
    std::size_t stored = 0;
    EXPECT_EQ(read_repository_record(0, buffer, stored), record_read::ok);
    EXPECT_EQ(parsed(unit.requests()[1]).data[0], 0);
    EXPECT_EQ(stored, 50u) << "the 2-byte next-record ID and 48 record bytes";
}

TEST_F(RepositoryWalk, CurrentValuesOfBothKinds) {
    Bytes discrete = sensor_record(2, 0x30);
    discrete[13] = 0x6F;
    discrete[12] = 0x07;
    controller.records = {sensor_record(1, 0x10), discrete};
    FakeUnit unit([this](const Bytes &bytes) { return controller.answer(bytes); });
    create_sensor_lock();
    walk_repository();
    std::int32_t value = 0;
    ASSERT_EQ(local_current_value(1, 1, 0, &value), 0);
    EXPECT_EQ(value, 350);
    EXPECT_EQ(parsed(unit.requests().back()).data, Bytes{0x10});
    controller.reading = {0x00, 0x40, 0x05};
    ASSERT_EQ(local_current_value(7, 1, 0x6F, &value), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(value), 0x8000056Fu);
    controller.reading = {0x00, 0x00, 0x05};
    ASSERT_EQ(local_current_value(7, 1, 0x6F, &value), 0);
    EXPECT_EQ(value, 0x7FFFFFFF) << "scanning disabled";
    EXPECT_EQ(local_current_value(7, 1, 0x6E, &value), 1) << "not its event/reading type";
    EXPECT_EQ(local_current_value(7, 1, 0x6E, nullptr), 1) << "its own answer before the NULL value";
    EXPECT_EQ(local_current_value(1, 1, 0, nullptr), status::bad_argument);
    EXPECT_EQ(local_current_value(7, 2, 0x6F, &value), 2);
    EXPECT_EQ(local_current_value(0, 1, 0x6F, &value), 2);

    // A reading the transport cannot carry is asked for ten times, then answers 1.
    FakeUnit silent([](const Bytes &) { return std::optional<Bytes>(); });
    EXPECT_EQ(local_current_value(1, 1, 0, &value), 1);
    EXPECT_EQ(silent.requests().size(), 10u * 5) << "ten attempts, each the transport's five tries on the library path";
}

// A record whose own ID is 0xFFFF is taken from its first piece alone.
TEST_F(RepositoryWalk, RecordWithTheIdFfffIsReadFromItsFirstPiece) {
    controller.records = {sensor_record(0xFFFF, 0x10)};
    FakeUnit unit([this](const Bytes &bytes) { return controller.answer(bytes); });
    WalkBuffer buffer{};
    std::size_t stored = 0;
    EXPECT_EQ(read_repository_record(0, buffer, stored), record_read::ok);
    EXPECT_EQ(stored, 18u) << "the next-record ID and 16 record bytes";
    EXPECT_EQ(record_reads(unit).size(), 1u);
}

}  // namespace
}  // namespace mgx::hal
