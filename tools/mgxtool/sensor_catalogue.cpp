#include "sensor_catalogue.h"

#include <halcore/halcore.h>
#include <halcore/sensor_types.h>

namespace mgx::tool {

using namespace mgx::hal;

SensorCatalogue SensorCatalogue::read(std::uint32_t only_type) {
    SensorCatalogue catalogue;
    const std::uint32_t first = only_type ? only_type : sensor_type::first, last = only_type ? only_type : sensor_type::last;
    for (std::uint32_t type = first; type <= last; ++type) {
        std::int32_t count = 0;
        if (const std::int32_t status = HCXGetSensorNumber(type, &count); status != query_result::ok) {
            catalogue.status_ = status;
            break;
        }
        if (count > 0) catalogue.types_.push_back({type, count});
        for (std::int32_t index = 1; index <= count; ++index) {
            CataloguedSensor sensor{type, static_cast<std::uint32_t>(index), {}};
            const std::int32_t status = HCXGetSensorInfo(type, sensor.index, &sensor.record);
            if (status == query_result::ok)
                catalogue.sensors_.push_back(sensor);
            else if (catalogue.status_ == query_result::ok)
                catalogue.status_ = status;
        }
    }
    return catalogue;
}

std::int32_t SensorCatalogue::count(std::uint32_t type) const {
    for (const TypeCount &entry : types_)
        if (entry.type == type) return entry.count;
    return 0;
}

const CataloguedSensor *SensorCatalogue::find(std::uint8_t owner_id, std::uint8_t sensor_number) const {
    for (const CataloguedSensor &sensor : sensors_)
        if (sensor.record.owner_id() == owner_id && sensor.record.sensor_number() == sensor_number) return &sensor;
    return nullptr;
}

std::optional<double> SensorCatalogue::real_value(const CataloguedSensor &sensor, std::uint8_t raw) {
    std::int32_t scaled = 0;
    if (sensor.record.kind != SensorKind::Threshold ||
        HCXConvertSensorReading(sensor.type, sensor.index, raw, &scaled) != query_result::ok)
        return std::nullopt;
    return scaled / sensor_type_facts(sensor.type).scale.divisor;
}

}  // namespace mgx::tool
