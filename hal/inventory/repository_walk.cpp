#include "repository_walk.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <memory>
#include <optional>
#include <span>

#include "controller_requests.h"
#include "fru_collector.h"
#include "sensor_cache.h"
#include "sensor_record.h"
#include "sensor_record_layout.h"
#include "transport.h"

namespace mgx::hal {

namespace {

constexpr int attempts = 10;
constexpr std::uint8_t piece_size = 16;
constexpr std::size_t id_prefix = 2;
constexpr std::uint16_t last_record = 0xFFFF;
constexpr int most_cancels = 5;
constexpr std::uint8_t cancelled = 0xC5, not_present = 0xCB;

// The reservation the controller gives, or nullopt when it gives none.
std::optional<std::uint16_t> reserve() {
    MgxResponse response{};
    const MgxRequest request = command_request(reserve_repository);
    if (send_with_attempts(request, response, default_target, attempts) != 0 || response.completion_code != 0 ||
        response.length < 2)
        return std::nullopt;
    return sdr::little_endian_16(response.data);
}

std::int32_t completion_status(std::uint8_t code) {
    if (code == cancelled) return record_read::reservation_cancelled;
    if (code == not_present) return record_read::no_such_record;
    return record_read::failed;
}

// One read of `count` bytes of the record from `offset`; the answer starts with the next
// record's ID.
std::int32_t read_piece(std::uint16_t reservation, std::uint16_t record_id, std::uint8_t offset, std::uint8_t count,
                        MgxResponse &response) {
    const MgxRequest request = command_request(
        get_repository_record, {static_cast<std::uint8_t>(reservation), static_cast<std::uint8_t>(reservation >> 8),
                                static_cast<std::uint8_t>(record_id), static_cast<std::uint8_t>(record_id >> 8), offset, count});
    response = {};
    if (std::int32_t status = send_with_attempts(request, response, default_target, attempts)) return status;
    return response.completion_code == 0 ? record_read::ok : completion_status(response.completion_code);
}

}  // namespace

std::int32_t read_repository_record(std::uint16_t record_id, WalkBuffer &buffer, std::size_t &stored) {
    stored = 0;
    // Without a reservation the record is read with reservation 0: a controller that needs none
    // still answers, and one that does refuses the read.
    const std::uint16_t reservation = reserve().value_or(0);
    MgxResponse response{};

    // The first piece is kept whole: the next record's ID, then the record's header, which says
    // how long the record is.
    if (std::int32_t status = read_piece(reservation, record_id, 0, piece_size, response)) return status;
    stored = std::min<std::size_t>(response.length, id_prefix + piece_size);
    if (stored < id_prefix + sdr::header_size) return record_read::failed;
    std::memcpy(buffer.data(), response.data, stored);
    if (sdr::little_endian_16(&buffer[id_prefix + sdr::record_id]) == last_record) return record_read::ok;
    const std::size_t total = buffer[id_prefix + sdr::body_length] + id_prefix + sdr::header_size;
    if (total > buffer.size()) return record_read::too_long;
    stored = std::min(stored, total);

    // The rest piece by piece, each without its repeated next-record ID and never more than was
    // asked for.
    while (stored < total) {
        const auto count = static_cast<std::uint8_t>(std::min<std::size_t>(total - stored, piece_size));
        if (std::int32_t status =
                read_piece(reservation, record_id, static_cast<std::uint8_t>(stored - id_prefix), count, response))
            return status;
        const std::size_t usable = response.length > id_prefix ? std::min<std::size_t>(response.length - id_prefix, count) : 0;
        if (usable == 0) return record_read::failed;  // a piece that brings nothing would be asked for forever
        std::memcpy(buffer.data() + stored, response.data + id_prefix, usable);
        stored += usable;
    }
    return record_read::ok;
}

// A corrupt repository may chain its records into a loop: a record ID already processed, asked
// for or answered, ends the walk, and no walk processes more records than IDs exist. Only the
// re-read after a cancelled reservation may process a record again.
void walk_repository() {
    clear_psu_instances();
    std::uint16_t current = 0, previous = 0;
    int cancels = 0;
    bool rereading = false;
    std::size_t processed_records = 0;
    auto processed = std::make_unique<std::bitset<max_repository_records + 1>>();
    WalkBuffer buffer{};
    for (;;) {
        std::size_t stored = 0;
        const std::int32_t status = read_repository_record(current, buffer, stored);
        if (status == record_read::reservation_cancelled) {
            if (++cancels > most_cancels) return;
            current = previous;
            rereading = true;
            continue;
        }
        if (status != record_read::ok && status != record_read::too_long) return;
        const std::span<const std::uint8_t> record(buffer.data() + id_prefix, stored - id_prefix);
        const std::uint16_t own_id = sdr::little_endian_16(&record[sdr::record_id]);
        if (processed->test(own_id) && !rereading) return;
        processed->set(own_id);
        processed->set(current);
        rereading = false;
        const std::uint8_t type = status == record_read::ok ? record[sdr::record_type] : 0;
        if (type == sdr::device_locator) {
            collect_fru(record);
        } else if (type == sdr::full_sensor || type == sdr::compact_sensor) {
            if (auto sensor = decode_sensor_record(record)) sensor_cache().add(*sensor);
        }
        if (++processed_records == max_repository_records) return;
        previous = current;
        current = sdr::little_endian_16(buffer.data());  // the next record's ID comes first
        if (current == last_record || processed->test(current)) return;
    }
}

}  // namespace mgx::hal
