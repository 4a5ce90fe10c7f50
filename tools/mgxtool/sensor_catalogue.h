// The machine's sensors as Halcore's sensor queries describe them, read once: found by their
// owner and number (as an event names its sensor), with a raw reading in real units.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include <halcore/query_records.h>

namespace mgx::tool {

struct CataloguedSensor {
    std::uint32_t type;
    std::uint32_t index;
    hal::SensorInfoRecord record;
};

class SensorCatalogue {
public:
    // Every sensor the library lists; empty when it lists none or cannot be asked.
    static SensorCatalogue read();

    const CataloguedSensor *find(std::uint8_t owner_id, std::uint8_t sensor_number) const;
    // A threshold sensor's raw reading in its real units (scaled_unit's unit); nullopt where the
    // library cannot convert it.
    static std::optional<double> real_value(const CataloguedSensor &sensor, std::uint8_t raw);

private:
    std::vector<CataloguedSensor> sensors_;
};

}  // namespace mgx::tool
