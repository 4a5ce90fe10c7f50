#include "management_unit.h"

#include <algorithm>
#include <stdexcept>

#include "command_catalogue.h"
#include "control_protocol.h"
#include "json_numbers.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace key = control::key;

namespace {

constexpr std::int64_t ms_per_hour = 3600LL * 1000;

Bytes little_endian(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 24)};
}

}  // namespace

UnitState UnitState::initial(const UnitProfile &profile, std::int64_t now_ms) {
    UnitState state;
    state.running_hours_base = profile.running_hours;
    state.running_hours_since_ms = now_ms;
    state.silent = profile.silent;
    state.memory.event_log = profile.event_log;
    if (!profile.fru_image.empty()) state.memory.fru_device = profile.fru_image;
    state.repository = profile.repository;
    state.chassis_status = profile.chassis_status;
    return state;
}

std::uint32_t UnitState::running_hours(std::int64_t now_ms) const {
    if (running_hours_fixed) return running_hours_base;
    std::int64_t elapsed = std::max<std::int64_t>(0, now_ms - running_hours_since_ms) / ms_per_hour;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(running_hours_base + elapsed, 0xFFFFFFFF));
}

void UnitState::set_running_hours(std::uint32_t hours, bool fixed, std::int64_t now_ms) {
    running_hours_base = hours;
    running_hours_since_ms = now_ms;
    running_hours_fixed = fixed;
}

nlohmann::json UnitState::to_json(std::int64_t now_ms) const {
    return {{key::running_hours, running_hours(now_ms)},
            {key::running_hours_base, running_hours_base},
            {key::running_hours_since_ms, running_hours_since_ms},
            {key::running_hours_fixed, running_hours_fixed},
            {key::silent, silent},
            {key::memory, memory}};
}

nlohmann::json UnitState::platform_json() const {
    nlohmann::json platform = {{"links", nlohmann::json::array()},
                               {"readings", nlohmann::json::array()},
                               {"chassis_status", text::to_hex(chassis_status)}};
    if (repository_loaded) platform["repository"] = text::to_hex(repository.dump());
    for (const auto &[from, to] : repository.links()) platform["links"].push_back({{"from", from}, {"to", to}});
    for (const auto &[sensor, reading] : readings)
        platform["readings"].push_back(
            {{"sensor", sensor}, {"raw", reading.raw}, {"flags", reading.flags}, {"states", reading.states}});
    return platform;
}

void UnitState::update_platform_from(const nlohmann::json &platform) {
    if (platform.contains("repository")) {
        const auto dump = text::from_hex(platform["repository"].get<std::string>());
        if (!dump) throw std::runtime_error("the remembered repository is not hexadecimal");
        repository = SensorRepository::from_dump(*dump);
        repository_loaded = true;
    }
    if (platform.contains("chassis_status")) {
        const auto status = text::from_hex(platform["chassis_status"].get<std::string>());
        if (!status || status->empty() || status->size() > 4)
            throw std::runtime_error("the remembered chassis status is not 1 to 4 hexadecimal bytes");
        chassis_status = *status;
    }
    for (const nlohmann::json &link : platform.value("links", nlohmann::json::array()))
        repository.link(link.at("from").get<std::uint16_t>(), link.at("to").get<std::uint16_t>());
    for (const nlohmann::json &reading : platform.value("readings", nlohmann::json::array()))
        readings[reading.at("sensor").get<std::uint16_t>()] = {reading.at("raw").get<std::uint8_t>(),
                                                               reading.at("flags").get<std::uint8_t>(),
                                                               reading.at("states").get<std::uint8_t>()};
}

void UnitState::update_from(const nlohmann::json &node, std::int64_t now_ms) {
    running_hours_base = node.value(key::running_hours_base, running_hours_base);
    running_hours_since_ms = node.value(key::running_hours_since_ms, running_hours_since_ms);
    running_hours_fixed = node.value(key::running_hours_fixed, running_hours_fixed);
    if (node.contains(key::running_hours) && !node.contains(key::running_hours_base)) {
        const std::optional<std::uint64_t> hours = whole_number(node[key::running_hours]);
        if (!hours || *hours > 0xFFFFFFFFu) throw std::out_of_range("running_hours must be a whole number from 0 to 4294967295");
        set_running_hours(static_cast<std::uint32_t>(*hours), running_hours_fixed, now_ms);
    }
    silent = node.value(key::silent, silent);
    if (node.contains(key::memory)) {
        memory = node[key::memory].get<UnitMemory>();
        normalise(memory);
    }
    if (node.contains("platform")) update_platform_from(node["platform"]);
}

UnitReply answer_request(UnitState &state, const UnitProfile &profile, std::int64_t now_ms, const IpmiRequest &request) {
    if (request.network_function == netfn::application && request.command == application_command::get_device_id) {
        if (!request.data.empty()) return {{completion::request_length_invalid, {}}};
        return {{completion::ok, profile.device_id}};
    }
    if (request.network_function == netfn::unit && request.command == unit_command::get_running_time) {
        if (!request.data.empty()) return {{completion::request_length_invalid, {}}};
        return {{completion::ok, little_endian(state.running_hours(now_ms))}};
    }
    if (auto reply = answer_platform_command(state, profile, request)) return *reply;
    return answer_memory_command(state, profile, now_ms, request);
}

}  // namespace mgx::testbed
