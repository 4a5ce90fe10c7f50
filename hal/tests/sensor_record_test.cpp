// Sensor data records decoded on their bytes: the decoding chosen, the conversion and its
// factors, the derived values, the sensor-info record and the cache's slots.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sensor_cache.h"
#include "sensor_record.h"
#include "sensor_record_layout.h"

namespace mgx::hal {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A full threshold record (64 bytes): owner 0x20, sensor 0x11, entity 3/0x12, temperature.
Bytes full_record() {
    Bytes record(64, 0);
    record[sdr::record_type] = sdr::full_sensor;
    record[sdr::body_length] = 59;
    record[sdr::owner_id] = 0x20;
    record[sdr::sensor_number] = 0x11;
    record[sdr::entity_id] = 0x03;
    record[sdr::entity_instance] = 0x12;
    record[sdr::sensor_type] = 0x01;
    record[sdr::reading_type] = 0x01;
    record[sdr::full::readable_mask] = 0x3F;  // every threshold readable
    record[sdr::base_unit] = 1;               // degrees C
    record[sdr::full::m_low] = 1;             // M = 1
    record[sdr::full::id_type_length] = 0xC4;
    std::memcpy(&record[sdr::full::id_string], "Temp", 4);
    return record;
}

Bytes compact_record(std::uint8_t share, std::uint8_t number, std::uint8_t instance) {
    Bytes record(40, 0);
    record[sdr::record_type] = sdr::compact_sensor;
    record[sdr::owner_id] = 0x20;
    record[sdr::sensor_number] = number;
    record[sdr::entity_id] = 0x20;
    record[sdr::entity_instance] = instance;
    record[sdr::sensor_type] = 0x0C;
    record[sdr::reading_type] = 0x6F;
    record[sdr::compact::reading_mask] = 0x33;
    record[sdr::compact::reading_mask + 1] = 0x01;
    record[sdr::compact::sharing] = share;
    record[sdr::compact::id_type_length] = 0xC4;
    std::memcpy(&record[sdr::compact::id_string], "DIMM", 4);
    return record;
}

SensorDescription decoded(const Bytes &record) {
    auto sensor = decode_sensor_record(record);
    EXPECT_TRUE(sensor.has_value());
    return sensor.value_or(SensorDescription{});
}

TEST(SensorRecord, ConversionOfTheListedCases) {
    Bytes record = full_record();
    EXPECT_EQ(convert_reading(decoded(record), 35), 350) << "temperature, M 1: tenths of a degree";
    record[21] = 4;     // volts
    record[24] = 5;     // M 5
    record[29] = 0xF0;  // R exponent -1
    const SensorDescription volts = decoded(record);
    EXPECT_EQ(volts.conversion_flags & 0x01, 0x01) << "divide flag";
    EXPECT_EQ(convert_reading(volts, 100), 50000);
    record = full_record();
    record[21] = 0;
    EXPECT_EQ(convert_reading(decoded(record), 0xF0), 240) << "unsigned raw readings";
    record[20] = 0x80;  // two's complement readings
    EXPECT_EQ(convert_reading(decoded(record), 0xF0), -16);
}

// Bits 7..6 of sensor units 1: 00 unsigned, 01 one's complement, 10 two's complement, 11 (no
// analog reading) read as two's complement.
TEST(SensorRecord, AnalogDataFormatDecidesHowRawReadingsAreSigned) {
    const struct {
        std::uint8_t format, raw;
        std::int32_t value;
    } cases[] = {{0x00, 0xFE, 254}, {0x40, 0xFE, -1}, {0x40, 0x80, -127}, {0x40, 0xFF, 0},
                 {0x40, 0x7F, 127}, {0x80, 0xFE, -2}, {0xC0, 0xFE, -2}};
    for (const auto &[format, raw, value] : cases) {
        SCOPED_TRACE(testing::Message() << "format " << int(format) << " raw " << int(raw));
        Bytes record = full_record();
        record[20] = format;
        record[21] = 0;
        EXPECT_EQ(convert_reading(decoded(record), raw), value);
    }
}

// A compact record as IPMI 1.5 and 2.0 lay it out (version 0x51): two sharing bytes, then the
// hysteresis, and the ID string one byte later than in Halcore's layout.
TEST(SensorRecord, CompactRecordsOfVersion51KeepTheirNameAndSharing) {
    Bytes record = compact_record(3, 0x30, 2);
    record.insert(record.begin() + 24, 0x00);  // the second sharing byte
    record[2] = 0x51;
    const SensorDescription sensor = decoded(record);
    EXPECT_EQ(sensor.share_count, 3);
    EXPECT_EQ(std::string(sensor.name.data(), sensor.name_length), "DIMM");
    record[2] = 0x01;  // the same bytes in Halcore's own layout: no name where it would be
    EXPECT_EQ(decoded(record).name_length, 0);
}

// A type/length byte that claims more than the record holds: the name ends with the record,
// for each layout the name is read in.
TEST(SensorRecord, ANameEndsWhereTheRecordEnds) {
    struct Case {
        const char *layout;
        Bytes record;
        std::size_t name_at;
    };
    Bytes discrete_full = full_record();
    discrete_full[sdr::reading_type] = 0x6F;
    const Case cases[] = {{"full threshold", full_record(), sdr::full::id_string},
                          {"full discrete", discrete_full, sdr::full::id_string},
                          {"compact", compact_record(0, 0x30, 1), sdr::compact::id_string}};
    for (const Case &test : cases) {
        SCOPED_TRACE(test.layout);
        Bytes record = test.record;
        record[test.name_at - 1] = 0xC0 | 63;
        record.resize(test.name_at);
        record.insert(record.end(), {'V', 'c', 'o', 'r', 'e', '2'});
        const SensorDescription sensor = decoded(record);
        EXPECT_EQ(std::string(sensor.name.data(), sensor.name_length), "Vcore2");
        EXPECT_EQ(sensor.name[6], '\0');
    }
}

TEST(SensorRecord, FactorsAreTenBitAndFourBitTwosComplement) {
    Bytes record = full_record();
    record[21] = 0;
    record[24] = 0xFF;
    record[25] = 0xC0;  // M = -1
    record[26] = 0x02;
    record[27] = 0x40;  // B = 0x102 = 258
    record[29] = 0x0E;  // B exponent -2
    const SensorDescription sensor = decoded(record);
    EXPECT_DOUBLE_EQ(sensor.multiplier, -1.0);
    EXPECT_NEAR(sensor.offset, 2.58, 1e-12);
    EXPECT_EQ(convert_reading(sensor, 10), -7) << "-10 + 2.58 truncated toward zero";
    record[29] = 0x20;  // R exponent 2
    EXPECT_DOUBLE_EQ(decoded(record).result_factor, 100.0);
}

TEST(SensorRecord, ScaleFactorRules) {
    EXPECT_EQ(scale_factor(0x1A, 1, 0), 1) << "rate and modifier both set";
    EXPECT_EQ(scale_factor(0, 2, 0), 10);
    EXPECT_EQ(scale_factor(0, 3, 0), 10) << "degrees K";
    EXPECT_EQ(scale_factor(0, 5, 0), 1000);
    EXPECT_EQ(scale_factor(0, 18, 0), 10);
    EXPECT_EQ(scale_factor(1 << 3, 41, 0), 600000000);
    EXPECT_EQ(scale_factor(2 << 3, 41, 0), 600000);
    EXPECT_EQ(scale_factor(3 << 3, 41, 0), 600);
    EXPECT_EQ(scale_factor(4 << 3, 41, 0), 10);
    EXPECT_EQ(scale_factor(6 << 3, 41, 0), 1);
    EXPECT_EQ(scale_factor(0x02, 41, 21), 600000) << "divided by milliseconds";
    EXPECT_EQ(scale_factor(0x02, 41, 99), 10);
    EXPECT_EQ(scale_factor(0x04, 41, 21), 1) << "modifier multiplies";
    EXPECT_EQ(scale_factor(0, 6, 0), 1);
    // What the factor leaves the values in: revolutions per a time become tenths of RPM.
    const auto unit = [](std::uint8_t units1, std::uint8_t base, std::uint8_t modifier) {
        const ReadingUnit got = reading_unit(units1, base, modifier);
        return std::pair<int, int>(got.divisor, got.code);
    };
    EXPECT_EQ(unit(0, 2, 0), std::pair(10, 2)) << "degrees F stay F";
    EXPECT_EQ(unit(0, 4, 0), std::pair(1000, 4));
    EXPECT_EQ(unit(3 << 3, 41, 0), std::pair(10, 18));
    EXPECT_EQ(unit(0x1A, 1, 0), std::pair(1, 1));
    EXPECT_EQ(unit(0, 6, 0), std::pair(1, 6));
}

TEST(SensorRecord, DerivedValuesFollowTheFlagsAndMasks) {
    Bytes record = full_record();
    record[18] = 0x10;  // only upper critical readable
    record[25] = 0x05;  // tolerance 5
    record[27] = 0x07;
    record[28] = 0x14;  // accuracy 0x47 = 71, exponent 1
    record[30] = 0x02;  // only the normal maximum given
    record[31] = 40;
    record[32] = 60;
    record[34] = 100;
    record[37] = 90;
    record[42] = 3;
    const SensorDescription sensor = decoded(record);
    EXPECT_EQ(sensor.values[Resolution], 10);
    EXPECT_EQ(sensor.values[Tolerance], 100);
    EXPECT_EQ(sensor.values[Accuracy], 710);
    EXPECT_EQ(sensor.values[NominalReading], no_value);
    EXPECT_EQ(sensor.values[NormalMaximum], 600);
    EXPECT_EQ(sensor.values[SensorMaximum], 1000);
    EXPECT_EQ(sensor.values[UpperCritical], 900);
    EXPECT_EQ(sensor.values[UpperNonCritical], no_value) << "its readable bit is clear";
    EXPECT_EQ(sensor.values[PositiveHysteresis], 30);
    EXPECT_EQ(sensor.values[NegativeHysteresis], 0);
    EXPECT_EQ(sensor.entity_instance, 0x02) << "bit 4 of the instance cleared";
}

TEST(SensorRecord, ConvertedValuesBeyondThirtyTwoBitsAreClamped) {
    Bytes record = full_record();
    record[21] = 41;
    record[20] = 1 << 3;  // revolutions per microsecond: 600000000
    record[24] = 0xFF;
    record[25] = 0x40;  // M = 511
    const SensorDescription sensor = decoded(record);
    EXPECT_EQ(convert_reading(sensor, 255), 2147483647);
    record[20] |= 0x80;
    EXPECT_EQ(convert_reading(decoded(record), 0x80), -2147483647) << "never no_value";
}

TEST(SensorRecord, DecodingChosenByReadingTypeThenRecordType) {
    Bytes record = full_record();
    record[13] = 0x6F;
    record[42] = 0x21;
    record[43] = 0x43;
    const SensorDescription discrete = decoded(record);
    EXPECT_EQ(discrete.kind, SensorKind::Discrete);
    EXPECT_EQ(discrete.share_count, 1) << "a full record shares with no other sensor";
    EXPECT_EQ(std::string(discrete.name.data(), discrete.name_length), "Temp");
    EXPECT_EQ(discrete.state_sets[0].reading_type, 0x6F);
    EXPECT_EQ(discrete.state_sets[0].reading_mask, 0x3F);
    EXPECT_EQ(discrete.entity_instance, 0x12) << "discrete decoding keeps bit 4";
    record[13] = 0x00;
    EXPECT_EQ(decoded(record).kind, SensorKind::Threshold) << "type 0 decides by the record type";
    record[3] = 0x02;
    EXPECT_EQ(decoded(record).kind, SensorKind::Discrete);
    record[3] = 0x03;
    EXPECT_FALSE(decode_sensor_record(record).has_value());
    record[13] = 0x85;
    EXPECT_EQ(decoded(record).kind, SensorKind::Discrete) << "0x80 and above are discrete whatever the record";
    EXPECT_EQ(decoded(Bytes(8, 0x01)).kind, SensorKind::Threshold) << "a short record reads zeros past its end";
}

TEST(SensorRecord, InfoRecordWritesOnlyWhatTheSensorHas) {
    SensorInfoRecord record;
    std::memset(&record, 0xAA, sizeof record);
    fill_sensor_info(decoded(compact_record(1, 0x30, 2)), record);
    EXPECT_EQ(record.name_length, 4);
    EXPECT_EQ(std::string(record.name, 4), "DIMM");
    EXPECT_EQ(static_cast<std::uint8_t>(record.name[4]), 0xAA) << "no terminator";
    EXPECT_EQ(record.kind, SensorKind::Discrete);
    const DiscreteKindBlock &discrete = record.kind_block.discrete;
    EXPECT_EQ(discrete.state_set_count, 1u);
    EXPECT_EQ(discrete.items[0].reading_type, 0x6F);
    EXPECT_EQ(discrete.items[0].reading_mask, 0x0133);
    EXPECT_EQ(discrete.items[2].reading_mask, 0);
    const auto *block = reinterpret_cast<const std::uint8_t *>(&record.kind_block);
    EXPECT_EQ(block[sizeof(DiscreteKindBlock)], 0xAA) << "the rest of the kind block untouched";
    EXPECT_EQ(record.address, 0x30u | 0x20u << 8);

    fill_sensor_info(decoded(full_record()), record);
    EXPECT_EQ(record.kind_block.threshold.readable_mask, 0x3F);
    EXPECT_EQ(record.kind_block.threshold.values[Resolution], 10);
}

TEST(SensorCacheSlots, SharedRecordsFillAdjacentSlotsOfOneDescription) {
    SensorCache cache;
    cache.add(decoded(compact_record(4, 0x30, 2)));
    ASSERT_EQ(cache.count(0x0C), 4);
    for (std::uint32_t index = 1; index <= 4; ++index) {
        const SensorSlot slot = *cache.slot(0x0C, index);
        EXPECT_EQ(slot.sensor_number, 0x30 + index - 1);
        EXPECT_EQ(slot.entity_instance, 2 + index - 1);
        EXPECT_EQ(slot.description, cache.slot(0x0C, 1)->description);
    }
    EXPECT_FALSE(cache.slot(0x0C, 5).has_value());
    EXPECT_FALSE(cache.slot(0x0C, 0).has_value());

    Bytes ignored = compact_record(0, 0x40, 1);
    cache.add(decoded(ignored));  // shares with no sensor
    ignored = compact_record(1, 0x41, 1);
    ignored[5] = 0x41;  // software-owned
    cache.add(decoded(ignored));
    ignored = compact_record(1, 0x42, 1);
    ignored[12] = 0xFF;
    cache.add(decoded(ignored));
    EXPECT_EQ(cache.count(0x0C), 4);
    EXPECT_EQ(cache.count(0xFF), 0);
    EXPECT_FALSE(SensorCache::valid_type(0));
    cache.clear();
    EXPECT_EQ(cache.count(0x0C), 0);
}

}  // namespace
}  // namespace mgx::hal
