// The controller's sensor data record repository: records back to back, each with its 5-byte
// header (record ID, version, type, length of the rest), as `ipmitool sdr dump` writes them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "ipmi_message.h"

namespace mgx::testbed {

inline constexpr std::size_t sdr_header_size = 5;
inline constexpr std::uint16_t sdr_last_record = 0xFFFF;

class SensorRepository {
public:
    // Throws std::runtime_error for an empty dump, a truncated record, a record ID used twice or
    // one of 0xFFFF.
    static SensorRepository from_dump(std::span<const std::uint8_t> dump);
    Bytes dump() const;

    // A corrupt repository's chain: the record `from` (0: the first) names `to` as the one after
    // it. Throws
    // std::runtime_error when there is no record `from`.
    void link(std::uint16_t from, std::uint16_t to);
    const std::map<std::uint16_t, std::uint16_t> &links() const { return links_; }

    // The record with this ID (0: the first), with the ID of the one after it (0xFFFF after the
    // last); nullopt when there is none.
    struct Found {
        const Bytes &record;
        std::uint16_t next_id;
    };
    std::optional<Found> find(std::uint16_t record_id) const;
    const std::vector<Bytes> &records() const { return records_; }

private:
    std::vector<Bytes> records_;
    std::map<std::uint16_t, std::uint16_t> links_;  // next-record IDs that differ from the order
};

}  // namespace mgx::testbed
