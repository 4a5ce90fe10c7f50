// The controller's platform commands: the sensor data record repository, sensor readings, the
// chassis status and the LCD panel's description and lines.
#include <algorithm>

#include "command_catalogue.h"
#include "management_unit.h"

namespace mgx::testbed {

namespace {

constexpr std::uint8_t full_record = 0x01, compact_record = 0x02;
constexpr std::size_t max_answer_data = 26;  // what one SMBus answer carries
constexpr std::uint8_t panel_number = 1;

// A full or compact sensor record with its owner, number and (compact) sharing bytes.
bool is_sensor_record(const Bytes &record) {
    return record.size() >= 24 && (record[3] == full_record || record[3] == compact_record);
}

UnitReply answer(Bytes data) { return {{completion::ok, std::move(data)}}; }
UnitReply refused(std::uint8_t code) { return {{code, {}}}; }

UnitReply reserve_repository(UnitState &state) {
    state.reservation = static_cast<std::uint16_t>(state.reservation % 0xFFFF + 1);  // never 0
    return answer({static_cast<std::uint8_t>(state.reservation), static_cast<std::uint8_t>(state.reservation >> 8)});
}

// Partial reads (offset not 0) need the reservation in force, as the IPMI repository demands.
UnitReply get_repository_record(UnitState &state, const Bytes &data) {
    if (data.size() != 6) return refused(completion::request_length_invalid);
    const std::uint16_t reservation = static_cast<std::uint16_t>(data[0] | data[1] << 8);
    const std::uint16_t id = static_cast<std::uint16_t>(data[2] | data[3] << 8);
    const std::size_t offset = data[4], count = data[5];
    if (offset != 0 && reservation != state.reservation) return refused(completion::reservation_cancelled);
    const auto found = state.repository.find(id);
    if (!found) return refused(completion::not_present);
    const Bytes &record = found->record;
    if (offset > record.size()) return refused(completion::parameter_out_of_range);
    if (count != 0xFF && count > max_answer_data - 2) return refused(0xCA);  // more than an answer carries
    const std::size_t sent = std::min({count == 0xFF ? record.size() : count, record.size() - offset, max_answer_data - 2});
    Bytes out = {static_cast<std::uint8_t>(found->next_id), static_cast<std::uint8_t>(found->next_id >> 8)};
    out.insert(out.end(), record.begin() + offset, record.begin() + offset + sent);
    return answer(out);
}

UnitReply get_sensor_reading(const UnitState &state, const IpmiRequest &request) {
    if (request.data.size() != 1) return refused(completion::request_length_invalid);
    const auto sensor = state.sensor_at(request.target, request.data[0]);
    if (!sensor) return refused(completion::not_present);
    const SensorReading reading = state.reading_of(*sensor);
    return answer({reading.raw, reading.flags, reading.states, 0x80});
}

UnitReply lcd_description(const UnitProfile &profile) {
    return answer({static_cast<std::uint8_t>(profile.lcd_present ? 2 : 0), panel_number});
}

UnitReply lcd_line(const UnitState &state, const UnitProfile &profile, const Bytes &data) {
    if (data.size() != 3) return refused(completion::request_length_invalid);
    if (!profile.lcd_present || data[0] != panel_number || data[1] > 1) return refused(completion::parameter_out_of_range);
    const std::string &line = state.memory.panel.lines[data[1]];
    Bytes out = {static_cast<std::uint8_t>(line.size())};
    out.insert(out.end(), line.begin(), line.end());
    return answer(out);
}

}  // namespace

std::optional<RepositorySensor> UnitState::sensor_at(std::uint8_t target, std::uint8_t number) const {
    for (const Bytes &record : repository.records()) {
        if (!is_sensor_record(record)) continue;
        const std::uint8_t owner = record[5], first = record[7];
        const std::uint8_t shared = record[3] == compact_record ? std::max<std::uint8_t>(1, record[23] & 0x0F) : 1;
        if (target != unit_target && owner >> 1 != target) continue;
        if (static_cast<std::uint8_t>(number - first) < shared) return RepositorySensor{&record, owner, number};
    }
    return std::nullopt;
}

bool UnitState::answers_at(std::uint8_t target) const {
    if (target == unit_target) return true;
    return std::any_of(repository.records().begin(), repository.records().end(),
                       [&](const Bytes &record) { return is_sensor_record(record) && record[5] >> 1 == target; });
}

SensorReading UnitState::reading_of(const RepositorySensor &sensor) const {
    if (auto set = readings.find(static_cast<std::uint16_t>(sensor.owner_id << 8 | sensor.number)); set != readings.end())
        return set->second;
    SensorReading reading;
    const Bytes &record = *sensor.record;
    if (record[3] == full_record && record.size() > 31) reading.raw = record[31];  // the nominal reading
    return reading;
}

std::optional<UnitReply> answer_platform_command(UnitState &state, const UnitProfile &profile, const IpmiRequest &request) {
    const auto is = [&request](std::uint8_t network_function, std::uint8_t command) {
        return request.network_function == network_function && request.command == command;
    };
    if (is(netfn::storage, storage_command::reserve_repository)) return reserve_repository(state);
    if (is(netfn::storage, storage_command::get_repository_record)) return get_repository_record(state, request.data);
    if (is(netfn::sensor, sensor_command::get_reading)) return get_sensor_reading(state, request);
    if (is(netfn::chassis, chassis_command::get_status)) return answer(state.chassis_status);
    if (is(netfn::application, application_command::lcd_description)) return lcd_description(profile);
    if (is(netfn::application, application_command::lcd_line)) return lcd_line(state, profile, request.data);
    return std::nullopt;
}

}  // namespace mgx::testbed
