#include "virtual_server.h"

#include <stdexcept>

#include "bmc_controller.h"
#include "device_protocol.h"
#include "imb_controller.h"
#include "json_numbers.h"
#include "server_log.h"
#include "smbios_builder.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace {

std::optional<DeviceKind> kind_of(std::uint32_t device) {
    switch (device) {
    case MgxtbDeviceImb: return DeviceKind::Imb;
    case MgxtbDeviceBmc: return DeviceKind::Bmc;
    case MgxtbDeviceSmbus: return DeviceKind::Smbus;
    }
    return std::nullopt;
}

// A profile's file name without its extension, never a path.
bool is_profile_name(const std::string &name) { return !name.empty() && name.find_first_of("/\\:.") == std::string::npos; }

}  // namespace

VirtualServer::VirtualServer(std::filesystem::path profile_directory, StateStore store, Clock &clock)
    : profile_directory_(std::move(profile_directory)), store_(std::move(store)), clock_(clock) {
    std::string problem;
    try {
        if (std::optional<nlohmann::json> remembered = store_.load()) {
            restore(*remembered);
            return;
        }
    } catch (const UnusableState &error) {
        problem = error.what();
    } catch (const nlohmann::json::exception &error) {
        problem = std::string("a field does not hold what it should: ") + error.what();
    } catch (const std::exception &error) {
        problem = error.what();
    }
    if (!problem.empty()) set_aside_unusable_state(problem);
    switch_to(load_profile(profile_directory_ / (std::string(default_profile) + ".json")));
}

void VirtualServer::restore(const nlohmann::json &remembered) {
    const std::string name = remembered.at("profile").get<std::string>();
    if (!is_profile_name(name)) throw UnusableState("\"" + name + "\" is not a machine's name");
    try {
        profile_ = load_profile(profile_directory_ / (name + ".json"));
    } catch (const std::exception &error) {
        throw UnusableState("its machine \"" + name + "\" cannot be loaded: " + error.what());
    }
    memory_ = build_physical_memory(profile_);
    unit_ = UnitState::initial(profile_.unit, clock_.now_ms());
    unit_.update_from(remembered.value("unit", nlohmann::json::object()), clock_.now_ms());
    smbus_.reset(profile_.lcd_panel);
}

void VirtualServer::set_aside_unusable_state(const std::string &problem) {
    std::string kept;
    try {
        kept = store_.set_aside().string();
    } catch (const std::exception &error) {
        kept = std::string("(left in place: ") + error.what() + ")";
    }
    unusable_state_ = {{"problem", problem}, {"file", store_.file().string()}, {"kept_as", kept}};
    server_log("the remembered state " + store_.file().string() + " is not usable: " + problem + "; it is kept as " + kept +
               "; the server starts afresh as the default machine \"" + default_profile + "\"");
}

void VirtualServer::switch_to(Profile profile) {
    memory_ = build_physical_memory(profile);
    profile_ = std::move(profile);
    unit_ = UnitState::initial(profile_.unit, clock_.now_ms());
    faults_.clear();
    smbus_.reset(profile_.lcd_panel);
    log_.clear();
    persist();
    server_log("profile " + profile_.name);
}

void VirtualServer::persist() {
    nlohmann::json unit = unit_.to_json(clock_.now_ms());
    unit["platform"] = unit_.platform_json();
    store_.save({{"profile", profile_.name}, {"unit", std::move(unit)}});
}

DeviceReply VirtualServer::handle(const DeviceRequest &request) {
    std::lock_guard lock(mutex_);
    UnitPort unit(unit_, profile_.unit, faults_, clock_.now_ms());
    DeviceReply reply = dispatch(request, unit);
    if (reply.output.size() > request.output_capacity) {
        reply.output.clear();
        reply.status = nt::buffer_too_small;
    }
    log_.record(clock_.now_ms(), request, reply);
    if (unit.state_changed()) persist();
    return reply;
}

DeviceReply VirtualServer::dispatch(const DeviceRequest &request, UnitPort &unit) {
    std::optional<DeviceKind> kind = kind_of(request.device);
    if (!kind) return DeviceReply::failure(nt::invalid_device_request, "unknown device");
    if (request.code == MGXTB_CODE_DRIVER_START) {
        if (faults_.take(FaultKind::DriverStartFailure, {*kind, {}, {}}))
            return DeviceReply::failure(nt::unsuccessful, "injected driver start failure");
        return DeviceReply{nt::success, {}, "driver started", {}, {}};
    }
    if (!profile_.has_device(*kind)) return DeviceReply::failure(nt::device_does_not_exist, "no such hardware on this machine");
    switch (*kind) {
    case DeviceKind::Smbus: return smbus_.handle(request.code, request.input, request.output_capacity, unit);
    case DeviceKind::Bmc: return handle_bmc_request(request.code, request.input, request.output_capacity, unit, memory_);
    case DeviceKind::Imb: return handle_imb_request(request.code, request.input, request.output_capacity, unit);
    }
    return DeviceReply::failure(nt::invalid_device_request, "unknown device");
}

nlohmann::json VirtualServer::status() {
    std::lock_guard lock(mutex_);
    nlohmann::json devices = nlohmann::json::array();
    for (DeviceKind kind : profile_.devices) devices.push_back(device_name(kind));
    nlohmann::json profile = {{"name", profile_.name}, {"description", profile_.description}, {"devices", devices}};
    if (profile_.smbios)
        profile["baseboard"] = {{"manufacturer", profile_.smbios->baseboard_manufacturer},
                                {"product", profile_.smbios->baseboard_product}};
    return {{"profile", profile},
            {"smbios", profile_.smbios.has_value()},
            {"unit", unit_.to_json(clock_.now_ms())},
            {"device_id", text::to_hex(profile_.unit.device_id)},
            {"platform",
             {{"repository_records", unit_.repository.records().size()},
              {"repository_loaded", unit_.repository_loaded},
              {"repository_links", unit_.repository.links().size()},
              {"sensors_set", unit_.readings.size()},
              {"fru_device_bytes", unit_.memory.fru_device.size()},
              {"fru_word_access", profile_.unit.fru_word_access},
              {"chassis_status", text::to_hex(unit_.chassis_status)}}},
            {"smbus", smbus_.to_json(clock_.now_ms())},
            {"lcd_panel", smbus_.panel().to_json()},
            {"faults", fault_list()},
            {"log", {{"entries", log_.size()}, {"next_sequence", log_.next_sequence()}}},
            {"state_file", store_.file().string()},
            {"unusable_state", unusable_state_}};
}

nlohmann::json VirtualServer::profiles() {
    std::lock_guard lock(mutex_);
    nlohmann::json list = nlohmann::json::array();
    for (const auto &entry : std::filesystem::directory_iterator(profile_directory_)) {
        if (entry.path().extension() != ".json") continue;
        try {
            Profile profile = load_profile(entry.path());
            list.push_back({{"name", profile.name}, {"description", profile.description}});
        } catch (const std::exception &error) {
            list.push_back({{"name", entry.path().stem().string()}, {"error", error.what()}});
        }
    }
    return list;
}

void VirtualServer::use_profile(const std::string &name) {
    if (!is_profile_name(name)) throw std::runtime_error("not a profile name: \"" + name + "\"");
    std::lock_guard lock(mutex_);
    switch_to(load_profile(profile_directory_ / (name + ".json")));
}

void VirtualServer::reset() {
    std::lock_guard lock(mutex_);
    switch_to(load_profile(profile_directory_ / (profile_.name + ".json")));
}

void VirtualServer::update_unit(const nlohmann::json &fields) {
    std::lock_guard lock(mutex_);
    if (!fields.is_object()) throw std::runtime_error("unit fields must be an object");
    UnitState updated = unit_;
    try {
        updated.update_from(fields, clock_.now_ms());
    } catch (const nlohmann::json::exception &error) {
        throw std::runtime_error(std::string("bad unit field: ") + error.what());
    }
    unit_ = updated;
    persist();
}

void VirtualServer::replace_repository(const std::vector<std::uint8_t> &dump) {
    SensorRepository repository = SensorRepository::from_dump(dump);
    std::lock_guard lock(mutex_);
    unit_.repository = std::move(repository);
    unit_.repository_loaded = true;
    unit_.readings.clear();  // they were the old repository's sensors
    unit_.reservation = 0;
    persist();
}

void VirtualServer::link_repository(std::uint16_t from, std::uint16_t to) {
    std::lock_guard lock(mutex_);
    unit_.repository.link(from, to);
    persist();
}

void VirtualServer::replace_fru_image(const std::vector<std::uint8_t> &image) {
    if (image.empty() || image.size() > max_fru_image)
        throw std::runtime_error("a FRU image holds 1 to " + std::to_string(max_fru_image) + " bytes");
    std::lock_guard lock(mutex_);
    unit_.memory.fru_device = image;
    persist();
}

void VirtualServer::set_sensor_reading(const nlohmann::json &fields) {
    const auto byte_of = [&](const char *key) -> std::optional<std::uint8_t> {
        if (!fields.contains(key)) return std::nullopt;
        const std::optional<std::uint64_t> value = whole_number(fields[key]);
        if (!value || *value > 255) throw std::runtime_error(std::string("\"") + key + "\" must be 0 to 255");
        return static_cast<std::uint8_t>(*value);
    };
    const auto owner = byte_of("owner"), number = byte_of("number");
    if (!owner || !number) throw std::runtime_error("a sensor is named by \"owner\" and \"number\"");
    std::lock_guard lock(mutex_);
    const auto sensor = unit_.sensor_at(static_cast<std::uint8_t>(*owner >> 1), *number);
    if (!sensor) throw std::runtime_error("the repository has no such sensor");
    SensorReading reading = unit_.reading_of(*sensor);
    reading.raw = byte_of("raw").value_or(reading.raw);
    reading.flags = byte_of("flags").value_or(reading.flags);
    reading.states = byte_of("states").value_or(reading.states);
    unit_.readings[static_cast<std::uint16_t>(*owner << 8 | *number)] = reading;
    persist();
}

void VirtualServer::set_chassis_status(const std::vector<std::uint8_t> &status) {
    if (status.empty() || status.size() > 4) throw std::runtime_error("a chassis status answer holds 1 to 4 bytes");
    std::lock_guard lock(mutex_);
    unit_.chassis_status = status;
}

void VirtualServer::update_lcd_panel(const nlohmann::json &fields) {
    std::lock_guard lock(mutex_);
    smbus_.panel().update(fields);
}

void VirtualServer::advance_clock(std::int64_t ms) {
    std::lock_guard lock(mutex_);
    if (ms < 0) throw std::runtime_error("the clock only moves forward");
    clock_.advance(ms);
}

void VirtualServer::add_fault(const Fault &fault) {
    std::lock_guard lock(mutex_);
    faults_.add(fault);
}

void VirtualServer::clear_faults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

nlohmann::json VirtualServer::faults() {
    std::lock_guard lock(mutex_);
    return fault_list();
}

nlohmann::json VirtualServer::fault_list() const {
    nlohmann::json list = nlohmann::json::array();
    for (const Fault &fault : faults_.faults()) list.push_back(to_json(fault));
    return list;
}

nlohmann::json VirtualServer::log(std::uint64_t since) {
    std::lock_guard lock(mutex_);
    return log_.since(since);
}

void VirtualServer::clear_log() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

nlohmann::json VirtualServer::smbios() {
    std::lock_guard lock(mutex_);
    if (!profile_.smbios) return {{"present", false}};
    return {{"present", true},
            {"major", smbios_major},
            {"minor", smbios_minor},
            {"table", text::to_hex(build_structure_table(*profile_.smbios))}};
}

}  // namespace mgx::testbed

namespace mgx::testbed {

nlohmann::json VirtualServer::event_log_entry(std::uint16_t record_id) {
    std::lock_guard lock(mutex_);
    const auto &records = unit_.memory.event_log;
    const std::size_t position = record_id == 0 ? 0 : record_id - 1u;
    if (position >= records.size()) return {{"found", false}};
    const std::uint16_t next = position + 1 < records.size() ? static_cast<std::uint16_t>(position + 2) : 0xFFFF;
    std::vector<std::uint8_t> record = records[position];
    record[0] = static_cast<std::uint8_t>(position + 1);  // a record carries its own ID first
    record[1] = static_cast<std::uint8_t>((position + 1) >> 8);
    return {{"found", true}, {"record_id", position + 1}, {"next_record_id", next}, {"data", text::to_hex(record)}};
}

void VirtualServer::add_event(const std::vector<std::uint8_t> &record) {
    std::lock_guard lock(mutex_);
    if (record.size() != event_record_size) throw std::runtime_error("an event record has 16 bytes");
    auto &records = unit_.memory.event_log;
    if (records.size() >= 0xFFFE) throw std::runtime_error("the event log is full");
    std::vector<std::uint8_t> stored = record;
    const std::size_t id = records.size() + 1;
    stored[0] = static_cast<std::uint8_t>(id);
    stored[1] = static_cast<std::uint8_t>(id >> 8);
    records.push_back(stored);
    persist();
}

void VirtualServer::clear_event_log() {
    std::lock_guard lock(mutex_);
    unit_.memory.event_log.clear();
    persist();
}

}  // namespace mgx::testbed
