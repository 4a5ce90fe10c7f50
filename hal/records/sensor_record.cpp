#include "sensor_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace mgx::hal {

namespace {

constexpr std::uint8_t record_type_full = 0x01, record_type_compact = 0x02;
constexpr std::size_t rearranged_size = 128;

// The record's bytes, 0 past its end.
class RecordBytes {
public:
    explicit RecordBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t operator[](std::size_t at) const { return at < bytes_.size() ? bytes_[at] : 0; }

private:
    std::span<const std::uint8_t> bytes_;
};

int two_complement(unsigned value, unsigned bits) {
    const unsigned sign = 1u << (bits - 1);
    return static_cast<int>(value & (sign - 1)) - static_cast<int>(value & sign);
}

std::int32_t clamped(double value) {
    constexpr double highest = 2147483647.0, lowest = -2147483647.0;
    if (std::isnan(value)) return 0;
    return static_cast<std::int32_t>(std::trunc(std::clamp(value, lowest, highest)));
}

double combined(double value, const SensorDescription &sensor) {
    return (sensor.conversion_flags & 0x01) ? value / sensor.result_factor : value * sensor.result_factor;
}

void read_name(const RecordBytes &record, std::size_t type_length_at, SensorDescription &sensor) {
    const std::uint8_t type_length = record[type_length_at];
    sensor.name_encoding = type_length >> 6;
    sensor.name_length = type_length & 0x3F;
    for (std::size_t i = 0; i < sensor.name_length; ++i) sensor.name[i] = static_cast<char>(record[type_length_at + 1 + i]);
}

void read_common(const RecordBytes &record, SensorDescription &sensor) {
    sensor.owner_id = record[5];
    sensor.owner_lun = record[6];
    sensor.sensor_number = record[7];
    sensor.entity_id_byte = record[8];
    sensor.entity_id = record[8];
    sensor.capabilities = record[11];
    sensor.sensor_type = record[12];
}

SensorDescription decode_threshold(const RecordBytes &record) {
    SensorDescription sensor;
    sensor.kind = SensorKind::Threshold;
    read_common(record, sensor);
    sensor.entity_instance = record[9] & ~0x10;
    sensor.readable_mask = record[18];
    sensor.settable_mask = record[19];
    const std::uint8_t units1 = record[20];
    sensor.base_unit = record[21];
    sensor.linearization = record[23];

    const double scale = scale_factor(units1, sensor.base_unit, record[22]);
    const int m = two_complement(record[24] | (record[25] & 0xC0u) << 2, 10);
    const int b = two_complement(record[26] | (record[27] & 0xC0u) << 2, 10);
    const int k1 = two_complement(record[29] & 0x0Fu, 4);
    int k2 = two_complement(record[29] >> 4, 4);
    sensor.multiplier = scale * m;
    double offset = scale * b;
    for (int i = 0; i < std::abs(k1); ++i) offset *= k1 < 0 ? 0.1 : 10.0;
    sensor.offset = offset;
    sensor.conversion_flags = units1 & 0xC0;
    if (k2 < 0) {
        sensor.conversion_flags |= 0x01;
        k2 = -k2;
    }
    sensor.result_factor = k2 == 0 ? 1.0 : std::pow(10.0, k2);

    auto &values = sensor.values;
    values[Resolution] = clamped(combined(sensor.multiplier, sensor));
    values[Tolerance] = clamped(combined((2 * (record[25] & 0x3F)) * sensor.multiplier, sensor));
    const int accuracy = (record[28] >> 4) << 6 | (record[27] & 0x3F);
    int accuracy_scale = 1;
    for (int i = 0; i < ((record[28] >> 2) & 0x03); ++i) accuracy_scale *= 10;
    values[Accuracy] = accuracy * accuracy_scale;
    const std::uint8_t analog = record[30];
    const auto converted_if = [&](bool present, std::size_t at) { return present ? convert_reading(sensor, record[at]) : no_value; };
    values[NominalReading] = converted_if(analog & 0x01, 31);
    values[NormalMaximum] = converted_if(analog & 0x02, 32);
    values[NormalMinimum] = converted_if(analog & 0x04, 33);
    values[SensorMaximum] = convert_reading(sensor, record[34]);
    values[SensorMinimum] = convert_reading(sensor, record[35]);
    for (std::size_t i = 0; i < 6; ++i)  // upper non-recoverable (mask bit 5) down to lower non-critical (bit 0)
        values[UpperNonRecoverable + i] = converted_if(sensor.readable_mask & (0x20 >> i), 36 + i);
    values[PositiveHysteresis] = record[42] ? convert_reading(sensor, record[42]) : 0;
    values[NegativeHysteresis] = record[43] ? convert_reading(sensor, record[43]) : 0;
    read_name(record, 47, sensor);
    return sensor;
}

// A full record laid out as a compact one, for discrete decoding.
std::array<std::uint8_t, rearranged_size> rearranged(const RecordBytes &record) {
    std::array<std::uint8_t, rearranged_size> compact{};
    for (std::size_t at = 0; at <= 46; ++at) compact[at] = record[at];
    compact[23] = 1;
    compact[24] = record[42];
    compact[25] = record[43];
    compact[30] = record[47];
    for (std::size_t at = 31; at <= 46; ++at) compact[at] = record[at + 17];
    return compact;
}

SensorDescription decode_discrete(const RecordBytes &record) {
    SensorDescription sensor;
    sensor.kind = SensorKind::Discrete;
    read_common(record, sensor);
    sensor.entity_instance = record[9];
    sensor.base_unit = record[21];
    sensor.share_count = record[23];
    sensor.state_set_count = 1;
    sensor.state_sets[0] = {record[13], static_cast<std::uint16_t>(record[18] | record[19] << 8)};
    read_name(record, 30, sensor);
    return sensor;
}

}  // namespace

double scale_factor(std::uint8_t units1, std::uint8_t base_unit, std::uint8_t modifier_unit) {
    const unsigned rate = (units1 >> 3) & 0x07, modifier = (units1 >> 1) & 0x03;
    if (rate != 0 && modifier != 0) return 1;
    switch (base_unit) {
    case 1: case 2: case 3: return 10;         // degrees C, F, K
    case 4: case 5: return 1000;               // volts, amperes
    case 18: return 10;                        // RPM
    case 41:                                   // revolutions
        if (rate != 0) {
            switch (rate) {
            case 1: return 600000000;          // per microsecond
            case 2: return 600000;             // per millisecond
            case 3: return 600;                // per second
            case 4: return 10;                 // per minute
            default: return 1;
            }
        }
        if (modifier != 1) return 1;
        switch (modifier_unit) {
        case 20: return 600000000;
        case 21: return 600000;
        case 22: return 600;
        default: return 10;
        }
    default: return 1;
    }
}

std::int32_t convert_reading(const SensorDescription &sensor, std::uint8_t raw) {
    const double x = (sensor.conversion_flags & 0xC0) ? static_cast<double>(static_cast<std::int8_t>(raw)) : raw;
    return clamped(combined(x * sensor.multiplier + sensor.offset, sensor));
}

std::optional<SensorDescription> decode_sensor_record(std::span<const std::uint8_t> bytes) {
    const RecordBytes record(bytes);
    const auto reading_type = static_cast<std::int8_t>(record[13]);
    bool threshold;
    if (reading_type == 0x01)
        threshold = true;
    else if ((reading_type >= 0x02 && reading_type <= 0x6F) || reading_type < 0)
        threshold = false;
    else if (record[3] == record_type_full || record[3] == record_type_compact)
        threshold = record[3] == record_type_full;
    else
        return std::nullopt;
    if (threshold) return decode_threshold(record);
    if (record[3] == record_type_full) {
        const auto compact = rearranged(record);
        return decode_discrete(RecordBytes(compact));
    }
    return decode_discrete(record);
}

void fill_sensor_info(const SensorDescription &sensor, SensorInfoRecord &record) {
    record.name_encoding = static_cast<std::int32_t>(sensor.name_encoding);
    record.name_length = sensor.name_length;
    std::memcpy(record.name, sensor.name.data(), std::min<std::size_t>(sensor.name_length, sizeof record.name));
    record.kind = static_cast<std::uint8_t>(sensor.kind);
    record.entity_id = static_cast<std::int32_t>(sensor.entity_id);
    record.capabilities = sensor.capabilities;
    std::uint8_t *block = record.kind_block;
    if (sensor.kind == SensorKind::Threshold) {
        block[0] = sensor.settable_mask;
        block[1] = sensor.readable_mask;
        std::memcpy(block + 2, sensor.values.data(), sizeof sensor.values);
    } else {
        std::memcpy(block, &sensor.state_set_count, 4);
        for (std::size_t i = 0; i < sensor.state_sets.size(); ++i) {
            block[4 + 3 * i] = sensor.state_sets[i].reading_type;
            block[5 + 3 * i] = static_cast<std::uint8_t>(sensor.state_sets[i].reading_mask);
            block[6 + 3 * i] = static_cast<std::uint8_t>(sensor.state_sets[i].reading_mask >> 8);
        }
    }
    record.address = sensor.sensor_number | sensor.owner_id << 8 | static_cast<std::uint32_t>(sensor.owner_lun) << 16;
}

}  // namespace mgx::hal
