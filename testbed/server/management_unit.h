// The management unit: its persistent state and how it answers each command.
#pragma once

#include <cstdint>

#include <nlohmann/json.hpp>

#include "ipmi_message.h"
#include "profile.h"
#include "unit_memory.h"

namespace mgx::testbed {

// What the unit keeps in its own memory; survives server restarts.
struct UnitState {
    std::uint32_t running_hours_base = 0;
    std::int64_t running_hours_since_ms = 0;  // clock time at which the base was taken
    bool running_hours_fixed = false;        // tests may stop the counter
    bool silent = false;                     // answers nothing on any path
    UnitMemory memory;

    static UnitState initial(const UnitProfile &profile, std::int64_t now_ms);
    // Hours advance with the clock unless fixed.
    std::uint32_t running_hours(std::int64_t now_ms) const;
    void set_running_hours(std::uint32_t hours, bool fixed, std::int64_t now_ms);

    nlohmann::json to_json(std::int64_t now_ms) const;
    // Reads what to_json wrote; missing fields keep their values.
    void update_from(const nlohmann::json &node, std::int64_t now_ms);
};

struct UnitReply {
    IpmiAnswer answer;
    bool state_changed = false;
};

// Answers one request. Unknown commands get "invalid command".
UnitReply answer_request(UnitState &state, const UnitProfile &profile, std::int64_t now_ms, const IpmiRequest &request);

// The commands that read and change the unit's memory (unit_commands.cpp).
UnitReply answer_memory_command(UnitState &state, const UnitProfile &profile, std::int64_t now_ms, const IpmiRequest &request);

}  // namespace mgx::testbed
