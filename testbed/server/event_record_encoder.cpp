#include "event_record_encoder.h"

#include <chrono>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <string>

#include "description_fields.h"
#include "text/hex.h"

namespace mgx::testbed {

using nlohmann::json;

namespace {

constexpr std::size_t record_size = 16;
constexpr std::uint8_t system_event = 0x02, first_oem_timestamped = 0xC0, first_oem_non_timestamped = 0xE0;
constexpr std::uint32_t unspecified_time = 0xFFFFFFFF, last_time_since_initialisation = 0x20000000;

void put_little_endian(Bytes &record, std::size_t at, std::uint32_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void refuse_unknown_keys(const json &description, const std::set<std::string> &known) {
    for (const auto &[key, value] : description.items())
        if (!known.contains(key)) throw std::runtime_error("an event record does not know \"" + key + "\"");
}

// "YYYY-MM-DD HH:MM:SS" in UTC, {"since_initialisation": seconds}, or absent (unspecified).
std::uint32_t timestamp(const json &description) {
    if (!description.contains("timestamp")) return unspecified_time;
    const json &value = description["timestamp"];
    if (value.is_object()) {
        const int seconds = number(value, "since_initialisation", -1, 0, static_cast<int>(last_time_since_initialisation));
        if (seconds < 0) throw std::runtime_error("\"timestamp\" as an object holds \"since_initialisation\"");
        return static_cast<std::uint32_t>(seconds);
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char end = 0;
    if (!value.is_string() || std::sscanf(value.get<std::string>().c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day,
                                          &hour, &minute, &second, &end) != 6)
        throw std::runtime_error("\"timestamp\" is \"YYYY-MM-DD HH:MM:SS\" (UTC) or {\"since_initialisation\": seconds}");
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
    const auto seconds =
        std::chrono::sys_days(date).time_since_epoch() / std::chrono::seconds(1) + hour * 3600 + minute * 60 + second;
    if (!date.ok() || hour > 23 || minute > 59 || second > 59 || seconds <= last_time_since_initialisation ||
        seconds >= unspecified_time)
        throw std::runtime_error("\"timestamp\" " + value.get<std::string>() + " is no date an event log can carry");
    return static_cast<std::uint32_t>(seconds);
}

Bytes oem_data(const json &description, std::size_t size) {
    const json &value = description.value("oem_data", json(""));
    const auto bytes = value.is_string() ? text::from_hex(value.get<std::string>()) : std::nullopt;
    if (!bytes || bytes->size() != size)
        throw std::runtime_error("\"oem_data\" holds " + std::to_string(size) + " hexadecimal bytes");
    return *bytes;
}

Bytes system_event_record(const json &description) {
    refuse_unknown_keys(description, {"record_type", "timestamp", "generator_id", "evm_revision", "sensor_type", "sensor_number",
                                      "event_type", "direction", "offset", "trigger_reading", "trigger_threshold",
                                      "previous_state", "severity_offset", "oem_data_2", "oem_data_3"});
    Bytes record(record_size, 0);
    record[2] = system_event;
    put_little_endian(record, 3, timestamp(description), 4);
    put_little_endian(record, 7, static_cast<std::uint32_t>(number(description, "generator_id", 0x20, 0, 0xFFFF)), 2);
    record[9] = byte(description, "evm_revision", 0x04);
    record[10] = byte(description, "sensor_type");
    record[11] = byte(description, "sensor_number");
    const std::uint8_t event_type = static_cast<std::uint8_t>(number(description, "event_type", 0x01, 0, 0x7F));
    const std::string direction = description.value("direction", "assertion");
    if (direction != "assertion" && direction != "deassertion")
        throw std::runtime_error("\"direction\" is \"assertion\" or \"deassertion\"");
    record[12] = static_cast<std::uint8_t>((direction == "deassertion" ? 0x80 : 0x00) | event_type);
    // Event data 1: what bytes 2 (bits 7..6) and 3 (bits 5..4) hold, and the offset.
    std::uint8_t data1 = static_cast<std::uint8_t>(number(description, "offset", 0, 0, 0x0F));
    std::uint8_t data2 = 0xFF, data3 = 0xFF;
    if (description.contains("trigger_reading")) data1 |= 0x40, data2 = byte(description, "trigger_reading");
    if (description.contains("trigger_threshold")) data1 |= 0x10, data3 = byte(description, "trigger_threshold");
    if (description.contains("previous_state") || description.contains("severity_offset")) {
        data1 |= 0x40;
        data2 = static_cast<std::uint8_t>(number(description, "severity_offset", 0x0F, 0, 0x0F) << 4 |
                                          number(description, "previous_state", 0x0F, 0, 0x0F));
    }
    if (description.contains("oem_data_2")) data1 |= 0x80, data2 = byte(description, "oem_data_2");
    if (description.contains("oem_data_3")) data1 |= 0x20, data3 = byte(description, "oem_data_3");
    record[13] = data1;
    record[14] = data2;
    record[15] = data3;
    return record;
}

}  // namespace

Bytes encode_event_record(const json &description) {
    if (description.is_string()) {
        const auto bytes = text::from_hex(description.get<std::string>());
        if (!bytes || bytes->size() != record_size) throw std::runtime_error("an event record in hex has 16 bytes");
        return *bytes;
    }
    if (!description.is_object()) throw std::runtime_error("an event record is 16 hexadecimal bytes or an object of its fields");
    const std::uint8_t type = byte(description, "record_type", system_event);
    if (type < first_oem_timestamped) {
        if (type != system_event) throw std::runtime_error("\"record_type\" is 2, or 0xC0 to 0xFF for OEM records");
        return system_event_record(description);
    }
    Bytes record(record_size, 0);
    record[2] = type;
    if (type >= first_oem_non_timestamped) {
        refuse_unknown_keys(description, {"record_type", "oem_data"});
        const Bytes data = oem_data(description, 13);
        std::copy(data.begin(), data.end(), record.begin() + 3);
        return record;
    }
    refuse_unknown_keys(description, {"record_type", "timestamp", "manufacturer_id", "oem_data"});
    put_little_endian(record, 3, timestamp(description), 4);
    put_little_endian(record, 7, static_cast<std::uint32_t>(number(description, "manufacturer_id", 0, 0, 0xFFFFFF)), 3);
    const Bytes data = oem_data(description, 6);
    std::copy(data.begin(), data.end(), record.begin() + 10);
    return record;
}

}  // namespace mgx::testbed
