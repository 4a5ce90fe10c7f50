#include "profile.h"

#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "bounded_json.h"
#include "event_record_encoder.h"
#include "text/hex.h"
#include "unit_memory.h"

namespace mgx::testbed {

using nlohmann::json;

bool Profile::has_device(DeviceKind kind) const {
    for (DeviceKind device : devices)
        if (device == kind) return true;
    return false;
}

const char *device_name(DeviceKind kind) {
    switch (kind) {
    case DeviceKind::Imb: return "imb";
    case DeviceKind::Bmc: return "bmc";
    case DeviceKind::Smbus: return "smbus";
    }
    return "?";
}

std::optional<DeviceKind> device_from_name(std::string_view name) {
    for (DeviceKind kind : {DeviceKind::Imb, DeviceKind::Bmc, DeviceKind::Smbus})
        if (name == device_name(kind)) return kind;
    return std::nullopt;
}

namespace {

std::string text(const json &object, const char *key) {
    if (!object.contains(key)) return {};
    if (!object[key].is_string()) throw std::runtime_error(std::string("\"") + key + "\" must be a string");
    return object[key].get<std::string>();
}

template <typename Integer>
Integer number(const json &object, const char *key, Integer fallback) {
    if (!object.contains(key)) return fallback;
    const json &value = object[key];
    if (!value.is_number_integer()) throw std::runtime_error(std::string("\"") + key + "\" must be an integer");
    auto wide = value.get<long long>();
    if (wide < static_cast<long long>(std::numeric_limits<Integer>::min()) ||
        wide > static_cast<long long>(std::numeric_limits<Integer>::max()))
        throw std::runtime_error(std::string("\"") + key + "\" is out of range");
    return static_cast<Integer>(wide);
}

std::vector<std::uint8_t> hex_field(const json &object, const char *key) {
    auto bytes = text::from_hex(text(object, key));
    if (!bytes) throw std::runtime_error(std::string("\"") + key + "\" must be hexadecimal bytes");
    return *bytes;
}

SmbiosProfile parse_smbios(const json &node) {
    SmbiosProfile smbios;
    smbios.bios_vendor = text(node, "bios_vendor");
    smbios.bios_version = text(node, "bios_version");
    smbios.bios_date = text(node, "bios_date");
    smbios.system_manufacturer = text(node, "system_manufacturer");
    smbios.system_product = text(node, "system_product");
    smbios.baseboard_manufacturer = text(node, "baseboard_manufacturer");
    smbios.baseboard_product = text(node, "baseboard_product");
    for (const json &cpu : node.value("processors", json::array()))
        smbios.processors.push_back(
            {text(cpu, "socket"), text(cpu, "manufacturer"), text(cpu, "version"), number<std::uint16_t>(cpu, "speed_mhz", 0)});
    smbios.memory_capacity_kb = number<std::uint32_t>(node, "memory_capacity_kb", 0);
    for (const json &dimm : node.value("memory_devices", json::array()))
        smbios.memory_devices.push_back({text(dimm, "locator"), text(dimm, "bank"), number<std::uint16_t>(dimm, "size_mb", 0)});
    for (const json &raw : node.value("extra_structures", json::array())) {
        RawStructure structure{
            number<std::uint8_t>(raw, "type", 0), number<std::uint16_t>(raw, "handle", 0), hex_field(raw, "formatted"), {}};
        for (const json &string : raw.value("strings", json::array())) structure.strings.push_back(string.get<std::string>());
        smbios.extra_structures.push_back(std::move(structure));
    }
    smbios.decoy_entry_points = number<int>(node, "decoy_entry_points", 0);
    if (smbios.decoy_entry_points < 0 || smbios.decoy_entry_points > 64)
        throw std::runtime_error("\"decoy_entry_points\" must be 0 to 64");
    return smbios;
}

// A file a profile names, whole.
std::vector<std::uint8_t> file_bytes(const std::filesystem::path &file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw std::runtime_error("cannot open " + file.filename().string());
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> answer_field(const json &object, const char *key) {
    std::vector<std::uint8_t> bytes = hex_field(object, key);
    if (bytes.size() > lcd_answer_capacity)
        throw std::runtime_error(std::string("\"") + key + "\" holds more than " + std::to_string(lcd_answer_capacity) +
                                 " bytes");
    return bytes;
}

LcdPanelProfile parse_lcd_panel(const json &node) {
    if (!node.is_object()) throw std::runtime_error("\"lcd_panel\" must be an object");
    LcdPanelProfile panel;
    panel.device_info = answer_field(node, "device_info");
    panel.management_log = answer_field(node, "management_log");
    panel.pages = parse_lcd_pages(node.value("pages", json::object()));
    const json nodes = node.value("rci_nodes", json::array());
    if (!nodes.is_array() || nodes.size() > 255) throw std::runtime_error("\"rci_nodes\" must be a list of at most 255 nodes");
    for (const json &rci : nodes) {
        RciNodeProfile parsed{answer_field(rci, "device_info"), {}};
        const json units = rci.value("units", json::array());
        if (!units.is_array() || units.size() > 255) throw std::runtime_error("\"units\" must be a list of at most 255 units");
        for (const json &unit : units) {
            const auto bytes = unit.is_string() ? text::from_hex(unit.get<std::string>()) : std::nullopt;
            if (!bytes || bytes->size() > lcd_answer_capacity)
                throw std::runtime_error("an RCI unit is at most " + std::to_string(lcd_answer_capacity) + " hexadecimal bytes");
            parsed.units.push_back(*bytes);
        }
        panel.rci_nodes.push_back(std::move(parsed));
    }
    return panel;
}

}  // namespace

std::map<std::uint16_t, std::string> parse_lcd_pages(const json &node) {
    if (!node.is_object()) throw std::runtime_error("\"pages\" must be an object");
    std::map<std::uint16_t, std::string> pages;
    for (const auto &[key, value] : node.items()) {
        const auto selector = text::from_hex(key);
        if (!selector || selector->size() != 2)
            throw std::runtime_error("a page is named by two hexadecimal selector bytes, not \"" + key + "\"");
        if (!value.is_string()) throw std::runtime_error("page \"" + key + "\" must be a text");
        // The panel shows one byte a character: texts are printable ASCII, which JSON carries as it is.
        for (const char c : value.get<std::string>())
            if (c < 0x20 || c > 0x7E)
                throw std::runtime_error("page \"" + key + "\" may hold printable ASCII characters only (0x20 to 0x7E)");
        if (value.get<std::string>().size() > lcd_page_width)
            throw std::runtime_error("page \"" + key + "\" must be a text of at most 16 characters");
        pages[static_cast<std::uint16_t>((*selector)[0] << 8 | (*selector)[1])] = value.get<std::string>();
    }
    return pages;
}

Profile parse_profile(const json &document, const std::filesystem::path &directory) {
    if (!document.is_object()) throw std::runtime_error("a profile must be a JSON object");
    Profile profile;
    profile.name = text(document, "name");
    if (profile.name.empty()) throw std::runtime_error("\"name\" is missing");
    profile.description = text(document, "description");
    if (document.contains("smbios") && !document["smbios"].is_null()) profile.smbios = parse_smbios(document["smbios"]);
    for (const json &device : document.value("devices", json::array())) {
        auto kind = device.is_string() ? device_from_name(device.get<std::string>()) : std::nullopt;
        if (!kind) throw std::runtime_error("\"devices\" lists an unknown device: " + device.dump());
        profile.devices.push_back(*kind);
    }
    const json unit = document.value("unit", json::object());
    profile.unit.device_id = hex_field(unit, "device_id");
    if (profile.unit.device_id.size() < 6 || profile.unit.device_id.size() > 15)
        throw std::runtime_error("\"device_id\" must hold 6 to 15 bytes");
    profile.unit.running_hours = number<std::uint32_t>(unit, "running_hours", 0);
    profile.unit.silent = unit.value("silent", false);
    profile.unit.lcd_present = unit.value("lcd_present", true);
    profile.unit.os_boot_monitoring = unit.value("os_boot_monitoring", true);
    profile.unit.store_read_limit = number<std::uint8_t>(unit, "store_read_limit", 16);
    if (profile.unit.store_read_limit == 0) throw std::runtime_error("\"store_read_limit\" must be 1 or more");
    const json log = unit.value("event_log", json::array());
    if (!log.is_array() || log.size() > max_event_records)
        throw std::runtime_error("\"event_log\" holds at most " + std::to_string(max_event_records) + " records");
    for (std::size_t at = 0; at < log.size(); ++at) {
        try {
            profile.unit.event_log.push_back(encode_event_record(log[at]));
        } catch (const std::exception &error) {
            throw std::runtime_error("\"event_log\" record " + std::to_string(at + 1) + ": " + error.what());
        }
    }
    if (const std::string sdr_file = text(unit, "sdr_file"); !sdr_file.empty()) {
        try {
            profile.unit.repository = SensorRepository::from_dump(file_bytes(directory / sdr_file));
        } catch (const std::exception &error) {
            throw std::runtime_error(sdr_file + ": " + error.what());
        }
    }
    if (const std::string fru_file = text(unit, "fru_file"); !fru_file.empty()) {
        profile.unit.fru_image = file_bytes(directory / fru_file);
        if (profile.unit.fru_image.empty() || profile.unit.fru_image.size() > max_fru_image)
            throw std::runtime_error("the FRU image " + fru_file + " must hold 1 to " + std::to_string(max_fru_image) + " bytes");
    }
    profile.unit.fru_word_access = unit.value("fru_word_access", false);
    if (unit.contains("chassis_status")) profile.unit.chassis_status = hex_field(unit, "chassis_status");
    if (document.contains("lcd_panel") && !document["lcd_panel"].is_null())
        profile.lcd_panel = parse_lcd_panel(document["lcd_panel"]);
    return profile;
}

Profile load_profile(const std::filesystem::path &file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw std::runtime_error("cannot open profile " + file.string());
    try {
        const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        return parse_profile(parse_bounded_json(text), file.parent_path());
    } catch (const std::exception &error) {
        throw std::runtime_error(file.filename().string() + ": " + error.what());
    }
}

}  // namespace mgx::testbed
