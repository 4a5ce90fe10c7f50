#include "control_side.h"

#include <stdexcept>

#include "control_protocol.h"
#include "json_numbers.h"
#include "smbios_builder.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace key = control::key;

namespace {

nlohmann::json fault_list(const FaultPlan &faults) {
    nlohmann::json list = nlohmann::json::array();
    for (const Fault &fault : faults.faults()) list.push_back(to_json(fault));
    return list;
}

}  // namespace

nlohmann::json ControlSide::status() {
    VirtualServer::Hold hold(server_);
    MachineState &machine = hold.machine();
    nlohmann::json devices = nlohmann::json::array();
    for (DeviceKind kind : machine.profile.devices) devices.push_back(device_name(kind));
    nlohmann::json profile = {
        {key::name, machine.profile.name}, {key::description, machine.profile.description}, {key::devices, devices}};
    if (machine.profile.smbios)
        profile[key::baseboard] = {{key::manufacturer, machine.profile.smbios->baseboard_manufacturer},
                                   {key::product, machine.profile.smbios->baseboard_product}};
    const UnitState &unit = machine.unit;
    return {{key::profile, profile},
            {key::smbios, machine.profile.smbios.has_value()},
            {key::unit, unit.to_json(hold.now_ms())},
            {key::device_id, text::to_hex(machine.profile.unit.device_id)},
            {key::platform,
             {{key::repository_records, unit.repository.records().size()},
              {key::repository_loaded, unit.repository_loaded},
              {key::repository_links, unit.repository.links().size()},
              {key::sensors_set, unit.readings.size()},
              {key::fru_device_bytes, unit.memory.fru_device.size()},
              {key::fru_word_access, machine.profile.unit.fru_word_access},
              {key::chassis_status, text::to_hex(unit.chassis_status)}}},
            {key::smbus, machine.smbus.to_json(hold.now_ms())},
            {key::lcd_panel, machine.smbus.panel().to_json()},
            {key::faults, fault_list(machine.faults)},
            {key::log, {{key::entries, machine.log.size()}, {key::next_sequence, machine.log.next_sequence()}}},
            {key::event_log_reads, machine.event_log_reads},
            {key::state_file, hold.state_file().string()},
            {key::unusable_state, hold.unusable_state()}};
}

nlohmann::json ControlSide::profiles() {
    VirtualServer::Hold hold(server_);
    nlohmann::json list = nlohmann::json::array();
    for (const auto &entry : std::filesystem::directory_iterator(hold.profile_directory())) {
        if (entry.path().extension() != ".json") continue;
        try {
            Profile profile = load_profile(entry.path());
            list.push_back({{key::name, profile.name}, {key::description, profile.description}});
        } catch (const std::exception &error) {
            list.push_back({{key::name, entry.path().stem().string()}, {key::error, error.what()}});
        }
    }
    return list;
}

void ControlSide::use_profile(const std::string &name) { VirtualServer::Hold(server_).switch_to(name); }

void ControlSide::reset() {
    VirtualServer::Hold hold(server_);
    hold.switch_to(hold.machine().profile.name);
}

void ControlSide::update_unit(const nlohmann::json &fields) {
    VirtualServer::Hold hold(server_);
    if (!fields.is_object()) throw std::runtime_error("unit fields must be an object");
    UnitState updated = hold.machine().unit;
    try {
        updated.update_from(fields, hold.now_ms());
    } catch (const nlohmann::json::exception &error) {
        throw std::runtime_error(std::string("bad unit field: ") + error.what());
    }
    hold.machine().unit = updated;
    hold.remember();
}

void ControlSide::replace_repository(const std::vector<std::uint8_t> &dump) {
    SensorRepository repository = SensorRepository::from_dump(dump);
    VirtualServer::Hold hold(server_);
    UnitState &unit = hold.machine().unit;
    unit.repository = std::move(repository);
    unit.repository_loaded = true;
    unit.readings.clear();  // they were the old repository's sensors
    unit.reservation = 0;
    hold.remember();
}

void ControlSide::link_repository(std::uint16_t from, std::uint16_t to) {
    VirtualServer::Hold hold(server_);
    hold.machine().unit.repository.link(from, to);
    hold.remember();
}

void ControlSide::replace_fru_image(const std::vector<std::uint8_t> &image) {
    if (image.empty() || image.size() > max_fru_image)
        throw std::runtime_error("a FRU image holds 1 to " + std::to_string(max_fru_image) + " bytes");
    VirtualServer::Hold hold(server_);
    hold.machine().unit.memory.fru_device = image;
    hold.remember();
}

void ControlSide::set_sensor_reading(const nlohmann::json &fields) {
    const auto byte_of = [&](const char *name) -> std::optional<std::uint8_t> {
        if (!fields.contains(name)) return std::nullopt;
        const std::optional<std::uint64_t> value = whole_number(fields[name]);
        if (!value || *value > 255) throw std::runtime_error(std::string("\"") + name + "\" must be 0 to 255");
        return static_cast<std::uint8_t>(*value);
    };
    const auto owner = byte_of(key::owner), number = byte_of(key::number);
    if (!owner || !number) throw std::runtime_error("a sensor is named by \"owner\" and \"number\"");
    VirtualServer::Hold hold(server_);
    UnitState &unit = hold.machine().unit;
    const auto sensor = unit.sensor_at(static_cast<std::uint8_t>(*owner >> 1), *number);
    if (!sensor) throw std::runtime_error("the repository has no such sensor");
    SensorReading reading = unit.reading_of(*sensor);
    reading.raw = byte_of(key::raw).value_or(reading.raw);
    reading.flags = byte_of(key::flags).value_or(reading.flags);
    reading.states = byte_of(key::states).value_or(reading.states);
    unit.readings[static_cast<std::uint16_t>(*owner << 8 | *number)] = reading;
    hold.remember();
}

void ControlSide::set_chassis_status(const std::vector<std::uint8_t> &status) {
    if (status.empty() || status.size() > 4) throw std::runtime_error("a chassis status answer holds 1 to 4 bytes");
    VirtualServer::Hold hold(server_);
    hold.machine().unit.chassis_status = status;
    hold.remember();
}

void ControlSide::update_lcd_panel(const nlohmann::json &fields) {
    VirtualServer::Hold hold(server_);
    hold.machine().smbus.panel().update(fields);
    hold.remember();
}

void ControlSide::advance_clock(std::int64_t ms) {
    // As far as a unit's 32-bit clock of seconds reaches and well short of overflowing the offset.
    constexpr std::int64_t farthest_ms = std::int64_t{1} << 42;  // about 139 years
    if (ms < 0) throw std::runtime_error("the clock only moves forward");
    VirtualServer::Hold hold(server_);
    if (ms > farthest_ms - hold.clock().offset_ms())
        throw std::runtime_error("the clock is advanced by " + std::to_string(hold.clock().offset_ms()) +
                                 " ms already and moves at most " + std::to_string(farthest_ms) + " ms ahead in all; " +
                                 std::to_string(ms) + " ms is too far");
    hold.clock().advance(ms);
    hold.remember();
}

void ControlSide::add_fault(const Fault &fault) {
    VirtualServer::Hold hold(server_);
    hold.machine().faults.add(fault);
    hold.remember();
}

void ControlSide::clear_faults() {
    VirtualServer::Hold hold(server_);
    hold.machine().faults.clear();
    hold.remember();
}

nlohmann::json ControlSide::faults() { return fault_list(VirtualServer::Hold(server_).machine().faults); }

nlohmann::json ControlSide::log(std::uint64_t since) { return VirtualServer::Hold(server_).machine().log.since(since); }

void ControlSide::clear_log() { VirtualServer::Hold(server_).machine().log.clear(); }

nlohmann::json ControlSide::smbios() {
    VirtualServer::Hold hold(server_);
    const Profile &profile = hold.machine().profile;
    if (!profile.smbios) return {{key::present, false}};
    return {{key::present, true},
            {key::major, smbios_major},
            {key::minor, smbios_minor},
            {key::table, text::to_hex(build_structure_table(*profile.smbios))}};
}

}  // namespace mgx::testbed
