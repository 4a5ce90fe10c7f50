#include "sensor_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "event_catalogue.h"
#include "sensor_record_layout.h"

namespace mgx::hal {

namespace {

namespace full = sdr::full;
namespace compact = sdr::compact;
namespace compact_ipmi_1_5 = sdr::compact_ipmi_1_5;
namespace bits = sdr::bits;
namespace unit_code = sdr::unit_code;

constexpr std::size_t rearranged_size = 128;
constexpr std::uint8_t divide_by_result_factor = 0x01;  // in conversion_flags, beside the analog data format

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
    return (sensor.conversion_flags & divide_by_result_factor) ? value / sensor.result_factor : value * sensor.result_factor;
}

void read_name(const RecordBytes &record, std::size_t type_length_at, SensorDescription &sensor) {
    const std::uint8_t type_length = record[type_length_at];
    sensor.name_encoding = type_length >> bits::name_type_shift;
    sensor.name_length = type_length & bits::name_length;
    for (std::size_t i = 0; i < sensor.name_length; ++i) sensor.name[i] = static_cast<char>(record[type_length_at + 1 + i]);
}

void read_common(const RecordBytes &record, SensorDescription &sensor) {
    sensor.owner_id = record[sdr::owner_id];
    sensor.owner_lun = record[sdr::owner_lun];
    sensor.sensor_number = record[sdr::sensor_number];
    sensor.entity_id = record[sdr::entity_id];
    sensor.capabilities = record[sdr::capabilities];
    sensor.sensor_type = record[sdr::sensor_type];
}

// M, B and the exponents: how a raw reading becomes a value in the sensor's scaled units.
void read_conversion(const RecordBytes &record, SensorDescription &sensor) {
    const std::uint8_t units1 = record[full::units1];
    const double scale = scale_factor(units1, sensor.base_unit, record[full::modifier_unit]);
    const int m = two_complement(record[full::m_low] | (record[full::m_high_tolerance] & bits::high_two_bits) << 2, 10);
    const int b = two_complement(record[full::b_low] | (record[full::b_high_accuracy] & bits::high_two_bits) << 2, 10);
    const int k1 = two_complement(record[full::exponents] & 0x0Fu, 4);
    int k2 = two_complement(record[full::exponents] >> 4, 4);
    sensor.multiplier = scale * m;
    double offset = scale * b;
    for (int i = 0; i < std::abs(k1); ++i) offset *= k1 < 0 ? 0.1 : 10.0;
    sensor.offset = offset;
    sensor.conversion_flags = units1 & bits::analog_data_format;
    if (k2 < 0) {
        sensor.conversion_flags |= divide_by_result_factor;
        k2 = -k2;
    }
    sensor.result_factor = k2 == 0 ? 1.0 : std::pow(10.0, k2);
    sensor.unit = reading_unit(units1, sensor.base_unit, record[full::modifier_unit]);
}

// The sixteen values, in scaled units; a threshold the readable mask leaves out has none.
void read_values(const RecordBytes &record, SensorDescription &sensor) {
    auto &values = sensor.values;
    values[Resolution] = clamped(combined(sensor.multiplier, sensor));
    values[Tolerance] = clamped(combined((2 * (record[full::m_high_tolerance] & bits::tolerance)) * sensor.multiplier, sensor));
    const std::uint8_t accuracy_high = record[full::accuracy_high_exponent];
    const int accuracy = (accuracy_high >> 4) << 6 | (record[full::b_high_accuracy] & bits::accuracy_low);
    int accuracy_scale = 1;
    for (unsigned i = 0; i < ((accuracy_high >> bits::accuracy_exponent_shift) & bits::accuracy_exponent_mask); ++i)
        accuracy_scale *= 10;
    values[Accuracy] = accuracy * accuracy_scale;
    const std::uint8_t analog = record[full::analog_flags];
    const auto converted_if = [&](bool present, std::size_t at) {
        return present ? convert_reading(sensor, record[at]) : no_value;
    };
    values[NominalReading] = converted_if(analog & bits::nominal_specified, full::nominal);
    values[NormalMaximum] = converted_if(analog & bits::normal_maximum_specified, full::normal_maximum);
    values[NormalMinimum] = converted_if(analog & bits::normal_minimum_specified, full::normal_minimum);
    values[SensorMaximum] = convert_reading(sensor, record[full::sensor_maximum]);
    values[SensorMinimum] = convert_reading(sensor, record[full::sensor_minimum]);
    for (std::size_t i = 0; i < 6; ++i)  // upper non-recoverable (mask bit 5) down to lower non-critical (bit 0)
        values[UpperNonRecoverable + i] =
            converted_if(sensor.readable_mask & (threshold_mask::upper_non_recoverable >> i), full::thresholds + i);
    const auto hysteresis = [&](std::size_t at) { return record[at] ? convert_reading(sensor, record[at]) : 0; };
    values[PositiveHysteresis] = hysteresis(full::positive_hysteresis);
    values[NegativeHysteresis] = hysteresis(full::negative_hysteresis);
}

SensorDescription decode_threshold(const RecordBytes &record) {
    SensorDescription sensor;
    sensor.kind = SensorKind::Threshold;
    read_common(record, sensor);
    sensor.entity_instance = record[sdr::entity_instance] & ~bits::entity_logical;
    sensor.readable_mask = record[full::readable_mask];
    sensor.settable_mask = record[full::settable_mask];
    sensor.base_unit = record[sdr::base_unit];
    sensor.linearization = record[full::linearization];
    read_conversion(record, sensor);
    read_values(record, sensor);
    read_name(record, full::id_type_length, sensor);
    return sensor;
}

// A full record laid out as a compact one, for discrete decoding.
std::array<std::uint8_t, rearranged_size> rearranged(const RecordBytes &record) {
    std::array<std::uint8_t, rearranged_size> layout{};
    for (std::size_t at = 0; at <= compact::id_string_end; ++at) layout[at] = record[at];
    layout[compact::sharing] = 1;
    layout[compact::positive_hysteresis] = record[full::positive_hysteresis];
    layout[compact::negative_hysteresis] = record[full::negative_hysteresis];
    layout[compact::id_type_length] = record[full::id_type_length];
    for (std::size_t at = compact::id_string; at <= compact::id_string_end; ++at)
        layout[at] = record[at - compact::id_string + full::id_string];
    return layout;
}

// A compact record of the IPMI 1.5 and 2.0 layout laid out as Halcore's compact one: its
// hysteresis, ID string type/length and name each sit one byte later, behind the second
// record-sharing byte.
std::array<std::uint8_t, rearranged_size> from_ipmi_1_5_compact(const RecordBytes &record) {
    std::array<std::uint8_t, rearranged_size> layout{};
    for (std::size_t at = 0; at <= compact::sharing; ++at) layout[at] = record[at];
    layout[compact::positive_hysteresis] = record[compact_ipmi_1_5::positive_hysteresis];
    layout[compact::negative_hysteresis] = record[compact_ipmi_1_5::negative_hysteresis];
    for (std::size_t at = compact::id_type_length; at <= compact::id_string_end; ++at)
        layout[at] = record[at - compact::id_type_length + compact_ipmi_1_5::id_type_length];
    return layout;
}

SensorDescription decode_discrete(const RecordBytes &record) {
    SensorDescription sensor;
    sensor.kind = SensorKind::Discrete;
    read_common(record, sensor);
    sensor.entity_instance = record[sdr::entity_instance];
    sensor.base_unit = record[sdr::base_unit];
    sensor.share_count = record[compact::sharing];
    sensor.state_set_count = 1;
    sensor.state_sets[0] = {record[sdr::reading_type],
                            static_cast<std::uint16_t>(record[compact::reading_mask] | record[compact::reading_mask + 1] << 8)};
    read_name(record, compact::id_type_length, sensor);
    return sensor;
}

}  // namespace

double scale_factor(std::uint8_t units1, std::uint8_t base_unit, std::uint8_t modifier_unit) {
    const unsigned rate = (units1 >> bits::rate_unit_shift) & bits::rate_unit_mask,
                   modifier = (units1 >> bits::modifier_unit_shift) & bits::modifier_unit_mask;
    if (rate != 0 && modifier != 0) return 1;
    switch (base_unit) {
    case unit_code::degrees_c:
    case unit_code::degrees_f:
    case unit_code::degrees_k: return 10;
    case unit_code::volts:
    case unit_code::amps: return 1000;
    case unit_code::rpm: return 10;
    case unit_code::revolutions:
        if (rate != 0) {
            switch (rate) {
            case 1: return 600000000;  // per microsecond
            case 2: return 600000;     // per millisecond
            case 3: return 600;        // per second
            case 4: return 10;         // per minute
            default: return 1;
            }
        }
        if (modifier != 1) return 1;  // only revolutions per a modifier unit are scaled
        switch (modifier_unit) {
        case unit_code::microsecond: return 600000000;
        case unit_code::millisecond: return 600000;
        case unit_code::second: return 600;
        default: return 10;
        }
    default: return 1;
    }
}

ReadingUnit reading_unit(std::uint8_t units1, std::uint8_t base_unit, std::uint8_t modifier_unit) {
    const double factor = scale_factor(units1, base_unit, modifier_unit);
    if (factor == 1) return {1, base_unit};
    if (base_unit == unit_code::revolutions) return {10, unit_code::rpm};
    return {static_cast<std::uint16_t>(factor), base_unit};
}

std::int32_t convert_reading(const SensorDescription &sensor, std::uint8_t raw) {
    const std::uint8_t format = sensor.conversion_flags & bits::analog_data_format;
    double x = raw;
    if (format == bits::analog_ones_complement)
        x = (raw & 0x80) ? -static_cast<double>(static_cast<std::uint8_t>(~raw) & 0x7F) : raw;
    else if (format != 0)
        x = static_cast<std::int8_t>(raw);
    return clamped(combined(x * sensor.multiplier + sensor.offset, sensor));
}

namespace {

// The name as far as the record really holds it: a type/length byte may claim more bytes than
// were read (or than the compact layout it was decoded in holds), and those are not the name's.
SensorDescription cut_name(SensorDescription sensor, std::size_t name_at, std::size_t record_size,
                           std::size_t layout_holds = 63) {
    const std::size_t present = std::min(record_size > name_at ? record_size - name_at : 0, layout_holds);
    if (sensor.name_length > present) {
        std::fill(sensor.name.begin() + static_cast<std::ptrdiff_t>(present), sensor.name.end(), '\0');
        sensor.name_length = static_cast<std::uint8_t>(present);
    }
    return sensor;
}

}  // namespace

std::optional<SensorDescription> decode_sensor_record(std::span<const std::uint8_t> bytes) {
    const RecordBytes record(bytes);
    const std::uint8_t code = record[sdr::reading_type];
    const std::uint8_t type = record[sdr::record_type];
    bool threshold;
    if (code == reading_type::threshold)
        threshold = true;
    else if ((code >= reading_type::generic_first && code <= reading_type::sensor_specific) ||
             code >= 0x80)  // the reserved codes from 0x80 too
        threshold = false;
    else if (type == sdr::full_sensor || type == sdr::compact_sensor)
        threshold = type == sdr::full_sensor;
    else
        return std::nullopt;
    const std::size_t size = bytes.size();
    constexpr std::size_t compact_name = compact::id_string_end + 1 - compact::id_string;
    if (threshold) return cut_name(decode_threshold(record), full::id_string, size);
    if (type == sdr::full_sensor) {
        const auto compact = rearranged(record);
        return cut_name(decode_discrete(RecordBytes(compact)), full::id_string, size, compact_name);
    }
    if (type == sdr::compact_sensor && record[sdr::version] == sdr::version_ipmi_1_5) {
        const auto compact = from_ipmi_1_5_compact(record);
        return cut_name(decode_discrete(RecordBytes(compact)), compact_ipmi_1_5::id_type_length + 1, size, compact_name);
    }
    return cut_name(decode_discrete(record), compact::id_string, size, compact_name);
}

void fill_sensor_info(const SensorDescription &sensor, SensorInfoRecord &record) {
    record.name_encoding = static_cast<std::int32_t>(sensor.name_encoding);
    record.name_length = sensor.name_length;
    std::memcpy(record.name, sensor.name.data(), std::min<std::size_t>(sensor.name_length, sizeof record.name));
    record.kind = sensor.kind;
    record.entity_id = static_cast<std::int32_t>(sensor.entity_id);
    record.capabilities = sensor.capabilities;
    if (sensor.kind == SensorKind::Threshold) {
        ThresholdKindBlock &block = record.kind_block.threshold;
        block.settable_mask = sensor.settable_mask;
        block.readable_mask = sensor.readable_mask;
        std::copy(sensor.values.begin(), sensor.values.end(), block.values);
    } else {
        DiscreteKindBlock &block = record.kind_block.discrete;
        block.state_set_count = sensor.state_set_count;
        std::copy(sensor.state_sets.begin(), sensor.state_sets.end(), block.items);
    }
    record.address = sensor.sensor_number | sensor.owner_id << 8 | static_cast<std::uint32_t>(sensor.owner_lun) << 16;
}

}  // namespace mgx::hal
