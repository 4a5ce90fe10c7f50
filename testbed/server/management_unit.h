// The management unit: its persistent state and how it answers each command.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include <nlohmann/json.hpp>

#include "ipmi_message.h"
#include "profile.h"
#include "unit_memory.h"

namespace mgx::testbed {

// What Get Sensor Reading answers for one sensor.
struct SensorReading {
    std::uint8_t raw = 0;
    std::uint8_t flags = 0xC0;  // bit 7 event messages enabled, bit 6 scanning enabled
    std::uint8_t states = 0;    // threshold comparison or discrete state bits 0 to 7
};

// A sensor of the repository: its record, and where its number falls in it.
struct RepositorySensor {
    const Bytes *record;
    std::uint8_t owner_id, number;
};

// What the unit keeps in its own memory; survives server restarts.
struct UnitState {
    std::uint32_t running_hours_base = 0;
    std::int64_t running_hours_since_ms = 0;  // clock time at which the base was taken
    bool running_hours_fixed = false;         // tests may stop the counter
    bool silent = false;                      // answers nothing on any path
    UnitMemory memory;
    // The controller's platform side, from the profile or the control channel. What the control
    // channel loaded or set is remembered until the machine is reset.
    SensorRepository repository;
    bool repository_loaded = false;                   // replaced through the control channel
    std::uint16_t reservation = 0;                    // the repository reservation in force; 0: none
    std::map<std::uint16_t, SensorReading> readings;  // set ones, by owner ID << 8 | sensor number
    Bytes chassis_status;

    // The sensor with this number whose owner answers at `target` (any owner at the unit's own).
    std::optional<RepositorySensor> sensor_at(std::uint8_t target, std::uint8_t number) const;
    bool answers_at(std::uint8_t target) const;
    SensorReading reading_of(const RepositorySensor &sensor) const;

    static UnitState initial(const UnitProfile &profile, std::int64_t now_ms);
    // Hours advance with the clock unless fixed.
    std::uint32_t running_hours(std::int64_t now_ms) const;
    void set_running_hours(std::uint32_t hours, bool fixed, std::int64_t now_ms);

    nlohmann::json to_json(std::int64_t now_ms) const;
    // What is remembered of the platform side: a loaded repository, its links, set readings.
    nlohmann::json platform_json() const;
    // Reads what to_json (with platform_json as "platform") wrote; missing fields keep their values.
    void update_from(const nlohmann::json &node, std::int64_t now_ms);

private:
    void update_platform_from(const nlohmann::json &platform);
};

struct UnitReply {
    IpmiAnswer answer;
    bool state_changed = false;
};

// Answers one request. Unknown commands get "invalid command".
UnitReply answer_request(UnitState &state, const UnitProfile &profile, std::int64_t now_ms, const IpmiRequest &request);

// The repository, sensor, chassis and LCD description commands (platform_commands.cpp); nullopt
// for a command they do not serve.
std::optional<UnitReply> answer_platform_command(UnitState &state, const UnitProfile &profile, const IpmiRequest &request);

// The commands that read and change the unit's memory (unit_commands.cpp).
UnitReply answer_memory_command(UnitState &state, const UnitProfile &profile, std::int64_t now_ms, const IpmiRequest &request);

}  // namespace mgx::testbed
