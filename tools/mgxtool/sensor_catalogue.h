// The machine's sensors as Halcore's sensor queries describe them, read once a run and read by
// every command that names or reads sensors: the listing, the metrics, the power-supply
// inventory and the event log's names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <halcore/query_records.h>
#include <halcore/sensor_types.h>

namespace mgx::tool {

struct CataloguedSensor {
    std::uint32_t type;
    std::uint32_t index;  // 1-based within its type
    hal::SensorInfoRecord record;
    // The real value of each raw reading 0 to 255 (NaN where the library cannot convert it),
    // when the catalogue kept them (keep_conversions); empty otherwise.
    std::vector<double> conversions{};
    // Another sensor of the catalogue has the same name (the twin power supplies' "PS Status"):
    // where a name alone would not tell them apart, the number goes with it.
    bool shares_name = false;
    // Its entity and unit from its own record, where the library read the repository itself.
    std::optional<hal::SensorDetailRecord> detail{};

    // What its scaled values are in.
    hal::RealUnit unit() const { return hal::real_unit(type, detail ? &*detail : nullptr); }
    std::string entity_text() const;
};

// "10.2": a sensor's entity ID and instance as the standard tools show them, or "" without them.
std::string entity_text(const std::optional<hal::SensorDetailRecord> &detail);

class SensorCatalogue {
public:
    struct TypeCount {
        std::uint32_t type;
        std::int32_t count;
    };

    // The sensors of every type, or of `only_type`, in type and index order. Reading stops at a
    // count query that fails and leaves out a record that cannot be read; status() tells the
    // first such failure.
    static SensorCatalogue read(std::uint32_t only_type = 0);

    std::int32_t status() const { return status_; }
    // The types that have sensors, with the count the library gives for each.
    const std::vector<TypeCount> &types() const { return types_; }
    std::int32_t count(std::uint32_t type) const;
    const std::vector<CataloguedSensor> &sensors() const { return sensors_; }

    // The sensor an event names: its owner ID as the generator ID's first byte gives it (a slave
    // address or, with bit 0 set, a system software ID), the owner's LUN and the sensor number.
    const CataloguedSensor *find(std::uint8_t owner_id, std::uint8_t owner_lun, std::uint8_t sensor_number) const;
    // A threshold sensor's raw reading in its real units (its unit()); nullopt where the
    // library cannot convert it. From the kept conversions where there are any, so it needs no
    // library once the catalogue has kept them.
    static std::optional<double> real_value(const CataloguedSensor &sensor, std::uint8_t raw);
    // Converts every raw reading of every threshold sensor now, while the library runs, for
    // readers that go on without it (the event log, read after the unit is free again).
    void keep_conversions();

private:
    std::int32_t status_ = hal::query_result::ok;
    std::vector<TypeCount> types_;
    std::vector<CataloguedSensor> sensors_;
};

}  // namespace mgx::tool
