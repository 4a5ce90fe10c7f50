#include "sensor_catalogue.h"

#include <halcore/halcore.h>

namespace mgx::tool {

using namespace mgx::hal;

SensorCatalogue SensorCatalogue::read() {
    SensorCatalogue catalogue;
    for (std::uint32_t type = 1; type <= 254; ++type) {
        std::int32_t count = 0;
        if (HCXGetSensorNumber(type, &count) != query_result::ok) break;
        for (std::int32_t index = 1; index <= count; ++index) {
            CataloguedSensor sensor{type, static_cast<std::uint32_t>(index), {}};
            if (HCXGetSensorInfo(type, sensor.index, &sensor.record) == query_result::ok) catalogue.sensors_.push_back(sensor);
        }
    }
    return catalogue;
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
    return scaled / scaled_unit(sensor.type).divisor;
}

}  // namespace mgx::tool
