// The controller's sensor data record repository: records back to back, each with its 5-byte
// header (record ID, version, type, length of the rest), as `ipmitool sdr dump` writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ipmi_message.h"

namespace mgx::testbed {

inline constexpr std::size_t sdr_header_size = 5;
inline constexpr std::uint16_t sdr_last_record = 0xFFFF;

class SensorRepository {
public:
    // Throws std::runtime_error for a truncated record, a record ID used twice or one of 0xFFFF.
    static SensorRepository from_dump(std::span<const std::uint8_t> dump);
    Bytes dump() const;

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
};

}  // namespace mgx::testbed
