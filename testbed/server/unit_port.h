// The way to the management unit shared by all three drivers: applies the unit-level faults
// (silence, completion codes, short answers) and lets the unit answer.
#pragma once

#include <optional>
#include <string>

#include "fault_plan.h"
#include "management_unit.h"

namespace mgx::testbed {

class UnitPort {
public:
    UnitPort(UnitState &state, const UnitProfile &profile, FaultPlan &faults, std::int64_t now_ms)
        : state_(state), profile_(profile), faults_(faults), now_ms_(now_ms) {}

    // nullopt: the unit stayed silent. Adds what was injected to note.
    std::optional<IpmiAnswer> exchange(DeviceKind device, const IpmiRequest &request, std::string &note);
    bool state_changed() const { return state_changed_; }
    FaultPlan &faults() { return faults_; }
    // The unit, or a sensor owner of its repository, answers at this SMBus target.
    bool answers_at(std::uint8_t target) const { return state_.answers_at(target); }
    std::int64_t now_ms() const { return now_ms_; }
    // How long the answer is to be held back, by the delay faults that matched.
    std::uint32_t delay_ms() const { return delay_ms_; }

private:
    UnitState &state_;
    const UnitProfile &profile_;
    FaultPlan &faults_;
    std::int64_t now_ms_;
    bool state_changed_ = false;
    std::uint32_t delay_ms_ = 0;
};

FaultSite site_of(DeviceKind device, const IpmiRequest &request);

}  // namespace mgx::testbed
