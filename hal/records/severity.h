// How bad a sensor state or an event is, rated as the standard IPMI tools rate them: nominal,
// warning (a non-critical threshold, a predictive failure) or critical.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include <halcore/query_records.h>
#include <halcore/sensor_types.h>

namespace mgx::hal {

enum class Severity : std::uint8_t { Nominal = 0, Warning = 1, Critical = 2 };

constexpr std::string_view severity_name(Severity severity) {
    switch (severity) {
    case Severity::Warning: return "warning";
    case Severity::Critical: return "critical";
    default: return "nominal";
    }
}

constexpr Severity worse(Severity a, Severity b) { return std::max(a, b); }

// A threshold sensor's value (scaled units) against the thresholds its record makes readable:
// past a non-critical one is a warning, past a critical or non-recoverable one critical.
Severity threshold_value_severity(const ThresholdKindBlock &block, std::int32_t value);

// The worst of the states a discrete sensor asserts (bit n: offset n of its reading type; the
// sensor type chooses the texts of sensor-specific sensors).
Severity discrete_states_severity(std::uint8_t reading_type, std::uint8_t sensor_type, std::uint16_t states);

}  // namespace mgx::hal
