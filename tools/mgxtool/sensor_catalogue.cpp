#include "sensor_catalogue.h"

#include <cmath>
#include <limits>
#include <map>
#include <string_view>

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
            if (status == query_result::ok) {
                if (SensorDetailRecord detail{}; HCXGetSensorDetail(type, sensor.index, &detail) == query_result::ok)
                    sensor.detail = detail;
                catalogue.sensors_.push_back(sensor);
            } else if (catalogue.status_ == query_result::ok)
                catalogue.status_ = status;
        }
    }
    std::map<std::string_view, int> names;
    for (const CataloguedSensor &sensor : catalogue.sensors_) ++names[sensor.record.name_bytes()];
    for (CataloguedSensor &sensor : catalogue.sensors_) sensor.shares_name = names[sensor.record.name_bytes()] > 1;
    return catalogue;
}

std::string entity_text(const std::optional<SensorDetailRecord> &detail) {
    if (!detail) return "";
    constexpr std::uint8_t instance_bits = 0x7F;  // bit 7 marks a logical entity
    return std::to_string(detail->entity_id) + "." + std::to_string(detail->entity_instance & instance_bits);
}

std::string CataloguedSensor::entity_text() const { return tool::entity_text(detail); }

std::int32_t SensorCatalogue::count(std::uint32_t type) const {
    for (const TypeCount &entry : types_)
        if (entry.type == type) return entry.count;
    return 0;
}

const CataloguedSensor *SensorCatalogue::find(std::uint8_t owner_id, std::uint8_t owner_lun, std::uint8_t sensor_number) const {
    constexpr std::uint8_t lun_bits = 0x03;  // the record's owner LUN byte holds the channel above them
    for (const CataloguedSensor &sensor : sensors_)
        if (sensor.record.owner_id() == owner_id && (sensor.record.owner_lun() & lun_bits) == (owner_lun & lun_bits) &&
            sensor.record.sensor_number() == sensor_number)
            return &sensor;
    return nullptr;
}

namespace {

std::optional<double> converted(const CataloguedSensor &sensor, std::uint8_t raw) {
    std::int32_t scaled = 0;
    if (sensor.record.kind != SensorKind::Threshold ||
        HCXConvertSensorReading(sensor.type, sensor.index, raw, &scaled) != query_result::ok)
        return std::nullopt;
    return sensor.unit().real(scaled);
}

}  // namespace

std::optional<double> SensorCatalogue::real_value(const CataloguedSensor &sensor, std::uint8_t raw) {
    if (sensor.conversions.empty()) return converted(sensor, raw);
    const double value = sensor.conversions[raw];
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

void SensorCatalogue::keep_conversions() {
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    for (CataloguedSensor &sensor : sensors_) {
        sensor.conversions.assign(256, none);
        if (sensor.record.kind != SensorKind::Threshold || !converted(sensor, 0)) continue;  // the library converts none of it
        for (int raw = 0; raw < 256; ++raw)
            sensor.conversions[raw] = converted(sensor, static_cast<std::uint8_t>(raw)).value_or(none);
    }
}

}  // namespace mgx::tool
