// The sensors of the repository, by sensor type: filled once by the repository walk, read by
// the sensor queries. Slots of one shared record point at one description.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <halcore/sensor_types.h>

#include "sensor_record.h"

namespace mgx::hal {

struct SensorSlot {
    const SensorDescription *description;
    std::uint8_t entity_id, entity_instance, sensor_number;
};

class SensorCache {
public:
    // Files a decoded record: software-owned sensors, types 0 and 255 and discrete records that
    // share with no sensor are left out.
    void add(const SensorDescription &description);
    void clear();

    static bool valid_type(std::uint32_t type) { return type >= sensor_type::first && type <= sensor_type::last; }
    std::int32_t count(std::uint32_t type) const;
    // 1-based; nullopt outside 1 to count or for a type outside 1 to 254.
    std::optional<SensorSlot> slot(std::uint32_t type, std::uint32_t index) const;

private:
    std::vector<std::unique_ptr<SensorDescription>> descriptions_;
    std::array<std::vector<SensorSlot>, 256> slots_;
};

SensorCache &sensor_cache();

}  // namespace mgx::hal
