#include "severity.h"

#include "event_catalogue.h"

namespace mgx::hal {

Severity threshold_value_severity(const ThresholdKindBlock &block, std::int32_t value) {
    using namespace threshold_mask;
    const auto past = [&](SensorValue threshold, std::uint8_t bit, bool upper) {
        return (block.readable_mask & bit) && (upper ? value >= block.values[threshold] : value <= block.values[threshold]);
    };
    if (past(UpperNonRecoverable, upper_non_recoverable, true) || past(UpperCritical, upper_critical, true) ||
        past(LowerNonRecoverable, lower_non_recoverable, false) || past(LowerCritical, lower_critical, false))
        return Severity::Critical;
    return past(UpperNonCritical, upper_non_critical, true) || past(LowerNonCritical, lower_non_critical, false)
               ? Severity::Warning
               : Severity::Nominal;
}

Severity discrete_states_severity(std::uint8_t code, std::uint8_t sensor_type, std::uint16_t states_asserted) {
    Severity severity = Severity::Nominal;
    for (std::uint8_t offset = 0; offset < 16; ++offset) {
        if (!(states_asserted & (1u << offset))) continue;
        if (const EventState *state = find_event_state(code, sensor_type, offset)) severity = worse(severity, state->severity);
    }
    return severity;
}

}  // namespace mgx::hal
