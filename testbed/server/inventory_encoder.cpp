#include "inventory_encoder.h"

#include <stdexcept>
#include <string>

#include "description_fields.h"
#include "text/hex.h"

namespace mgx::testbed {

using nlohmann::json;

namespace {

constexpr std::uint8_t full_record = 0x01, compact_record = 0x02, generic_locator = 0x10;
constexpr std::uint8_t version_1_5 = 0x51, version_1_0 = 0x01;
constexpr std::uint8_t ascii_8bit = 0xC0, end_of_fields = 0xC1;

std::string text(const json &node, const char *key) {
    if (!node.contains(key)) return {};
    if (!node[key].is_string()) throw std::runtime_error(std::string("\"") + key + "\" must be a string");
    std::string value = node[key].get<std::string>();
    if (value.size() > 63) throw std::runtime_error(std::string("\"") + key + "\" is longer than 63 characters");
    return value;
}

// A record's name: "name" as it is, or "name_hex" for 8-bit bytes a JSON text cannot carry.
std::string name_of(const json &node) {
    if (!node.contains("name_hex")) return text(node, "name");
    const auto bytes = node["name_hex"].is_string() ? text::from_hex(node["name_hex"].get<std::string>()) : std::nullopt;
    if (!bytes || bytes->size() > 63) throw std::runtime_error("\"name_hex\" must be at most 63 hexadecimal bytes");
    return std::string(bytes->begin(), bytes->end());
}

void put_text(Bytes &bytes, const std::string &value) {
    bytes.push_back(static_cast<std::uint8_t>(ascii_8bit | value.size()));
    bytes.insert(bytes.end(), value.begin(), value.end());
}

// A record's header with the length of its body filled in at the end.
Bytes finished(std::uint16_t id, std::uint8_t version, std::uint8_t type, Bytes body) {
    if (body.size() > 255) throw std::runtime_error("a record body is longer than 255 bytes");
    Bytes record = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), version, type,
                    static_cast<std::uint8_t>(body.size())};
    record.insert(record.end(), body.begin(), body.end());
    return record;
}

Bytes full_sensor(const json &node, std::uint16_t id) {
    const int m = number(node, "m", 1, -512, 511), b = number(node, "b", 0, -512, 511);
    const int r_exp = number(node, "r_exp", 0, -8, 7), b_exp = number(node, "b_exp", 0, -8, 7);
    const json thresholds = node.value("thresholds", json::array({0, 0, 0, 0, 0, 0}));
    const json hysteresis = node.value("hysteresis", json::array({0, 0}));
    if (!thresholds.is_array() || thresholds.size() != 6 || !hysteresis.is_array() || hysteresis.size() != 2)
        throw std::runtime_error("\"thresholds\" holds six raw values, \"hysteresis\" two");
    // The record body in the order of its bytes.
    // clang-format off
    Bytes body = {byte(node, "owner", 0x20), byte(node, "lun"), byte(node, "number"), byte(node, "entity"), byte(node, "instance"),
                  byte(node, "initialization", 0x7F), byte(node, "capabilities", 0x68), byte(node, "sensor_type"),
                  byte(node, "reading_type", 0x01), 0x00, 0x00, 0x00, 0x00,
                  byte(node, "readable"), byte(node, "settable"), byte(node, "units1"), byte(node, "base_unit"),
                  byte(node, "modifier_unit"), byte(node, "linearization"),
                  static_cast<std::uint8_t>(m), static_cast<std::uint8_t>((m >> 2 & 0xC0) | (byte(node, "tolerance") & 0x3F)),
                  static_cast<std::uint8_t>(b), static_cast<std::uint8_t>((b >> 2 & 0xC0) | (byte(node, "accuracy") & 0x3F)),
                  static_cast<std::uint8_t>((byte(node, "accuracy") >> 6 & 0x0F) << 4 | (byte(node, "accuracy_exp") & 0x03) << 2),
                  static_cast<std::uint8_t>((r_exp & 0x0F) << 4 | (b_exp & 0x0F)), byte(node, "analog_flags"),
                  byte(node, "nominal"), byte(node, "normal_max"), byte(node, "normal_min"), byte(node, "max", 255), byte(node, "min")};
    // clang-format on
    for (const json &value : thresholds) body.push_back(value.get<std::uint8_t>());
    for (const json &value : hysteresis) body.push_back(value.get<std::uint8_t>());
    body.insert(body.end(), {0x00, 0x00, 0x00});  // reserved, reserved, OEM
    put_text(body, name_of(node));
    return finished(id, version_1_5, full_record, body);
}

// "layout": "ipmi-1.0" (the default; version 0x01, one sharing byte) or "ipmi-1.5" (version
// 0x51, as IPMI 1.5 and 2.0 controllers keep them: two sharing bytes, everything after one later).
Bytes compact_sensor(const json &node, std::uint16_t id) {
    const int share = number(node, "share", 1, 1, 15);
    const std::uint16_t mask = static_cast<std::uint16_t>(number(node, "mask", 0, 0, 0x7FFF));
    const std::string layout = node.value("layout", "ipmi-1.0");
    if (layout != "ipmi-1.0" && layout != "ipmi-1.5") throw std::runtime_error("\"layout\" must be ipmi-1.0 or ipmi-1.5");
    const bool ipmi_1_5 = layout == "ipmi-1.5";
    // The record body in the order of its bytes.
    // clang-format off
    Bytes body = {byte(node, "owner", 0x20), byte(node, "lun"), byte(node, "number"), byte(node, "entity"), byte(node, "instance"),
                  byte(node, "initialization", 0x67), byte(node, "capabilities", 0x40), byte(node, "sensor_type"),
                  byte(node, "reading_type", 0x6F), 0x00, 0x00, 0x00, 0x00,
                  static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8), 0x00, byte(node, "base_unit"), 0x00,
                  static_cast<std::uint8_t>(share)};
    // clang-format on
    if (ipmi_1_5) body.push_back(0x00);  // the second sharing byte
    const json hysteresis = node.value("hysteresis", json::array({0, 0}));
    if (!hysteresis.is_array() || hysteresis.size() != 2) throw std::runtime_error("\"hysteresis\" holds two raw values");
    for (const json &value : hysteresis) body.push_back(value.get<std::uint8_t>());
    body.insert(body.end(), {0x00, 0x00, 0x00, 0x00});  // reserved, OEM
    put_text(body, name_of(node));
    return finished(id, ipmi_1_5 ? version_1_5 : version_1_0, compact_record, body);
}

Bytes device_locator(const json &node, std::uint16_t id) {
    // The record body in the order of its bytes.
    // clang-format off
    Bytes body = {byte(node, "address", 0x20), 0x00, 0x00, 0x00, 0x00, byte(node, "device_type", 0x10), 0x00,
                  byte(node, "entity"), byte(node, "instance"), 0x00};
    // clang-format on
    put_text(body, name_of(node));
    return finished(id, version_1_5, generic_locator, body);
}

// An area padded to whole 8-byte units and closed by its checksum; its length byte is filled in.
Bytes closed_area(Bytes area) {
    area.push_back(end_of_fields);
    while ((area.size() + 1) % 8) area.push_back(0x00);
    area[1] = static_cast<std::uint8_t>((area.size() + 1) / 8);
    std::uint8_t sum = 0;
    for (std::uint8_t value : area) sum = static_cast<std::uint8_t>(sum + value);
    area.push_back(static_cast<std::uint8_t>(-sum));
    return area;
}

Bytes fields_area(Bytes start, const json &node, std::initializer_list<const char *> keys) {
    for (const char *key : keys) put_text(start, text(node, key));
    return closed_area(std::move(start));
}

}  // namespace

Bytes encode_repository(const json &description) {
    const json records = description.value("records", json::array());
    if (!records.is_array()) throw std::runtime_error("\"records\" must be a list");
    Bytes dump;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const json &node = records[i];
        try {
            const auto id = static_cast<std::uint16_t>(number(node, "id", static_cast<int>(i + 1), 0, 0xFFFE));
            const std::string kind = node.value("kind", "");
            Bytes record;
            if (kind == "full")
                record = full_sensor(node, id);
            else if (kind == "compact")
                record = compact_sensor(node, id);
            else if (kind == "locator")
                record = device_locator(node, id);
            else
                throw std::runtime_error("\"kind\" must be full, compact or locator");
            dump.insert(dump.end(), record.begin(), record.end());
        } catch (const std::exception &error) {
            throw std::runtime_error("record " + std::to_string(i + 1) + ": " + error.what());
        }
    }
    return dump;
}

Bytes encode_fru_image(const json &description) {
    Bytes areas, header = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    const auto place = [&](std::size_t header_slot, const Bytes &area) {
        header[header_slot] = static_cast<std::uint8_t>((8 + areas.size()) / 8);
        areas.insert(areas.end(), area.begin(), area.end());
    };
    if (description.contains("chassis"))
        place(2,
              fields_area({0x01, 0x00, byte(description["chassis"], "type", 0x17)}, description["chassis"], {"part", "serial"}));
    if (description.contains("board"))
        place(3, fields_area({0x01, 0x00, 0x00, 0x00, 0x00, 0x00}, description["board"],
                             {"manufacturer", "name", "serial", "part", "file_id"}));
    if (description.contains("product"))
        place(4, fields_area({0x01, 0x00, 0x00}, description["product"],
                             {"manufacturer", "name", "part", "version", "serial", "asset", "file_id"}));
    std::uint8_t sum = 0;
    for (std::uint8_t value : header) sum = static_cast<std::uint8_t>(sum + value);
    header.push_back(static_cast<std::uint8_t>(-sum));
    Bytes image = header;
    image.insert(image.end(), areas.begin(), areas.end());
    const std::size_t size = static_cast<std::size_t>(number(description, "size", 256, 8, 4096));
    if (image.size() > size)
        throw std::runtime_error("the inventory needs " + std::to_string(image.size()) + " bytes, more than \"size\"");
    image.resize(size, 0xFF);
    return image;
}

}  // namespace mgx::testbed
