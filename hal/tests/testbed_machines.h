// One fixture per simulated machine: the virtual server becomes that machine before each test;
// Halcore is shut down and the faults cleared after it. Waits are recorded, not waited.
#pragma once

#include <gtest/gtest.h>

#include <halcore/halcore.h>

#include "control_client.h"
#include "hal_fakes.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::hal {

using testbed::control_request;
using testing::RecordedWaits;

class OnMachine : public ::testing::Test {
protected:
    void SetUp() override { control_request(mgx::testbed::control::use_profile, {{control_key::profile, machine()}}); }
    void TearDown() override {
        HCXFreeImbSmbDll();
        control_request(mgx::testbed::control::clear_faults);
        testing::reset_process_state();
    }
    virtual const char *machine() const = 0;
    nlohmann::json log() { return control_request(mgx::testbed::control::log)[control_key::entries]; }
    void fault(nlohmann::json spec) {
        control_request(mgx::testbed::control::add_fault, {{control_key::fault, std::move(spec)}});
    }
    void silence_unit() {
        control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::silent, true}}}});
    }
    void fix_hours(std::uint32_t hours) {
        control_request(mgx::testbed::control::set_unit,
                        {{control_key::unit, {{control_key::running_hours, hours}, {control_key::running_hours_fixed, true}}}});
    }

    RecordedWaits waits;
    std::int32_t type = -1;
};

#define MACHINE(Suite, name)                                  \
    class Suite : public OnMachine {                          \
        const char *machine() const override { return name; } \
    }

MACHINE(OnIntel, "intel");
MACHINE(OnIntelS450, "intel-s450");
MACHINE(OnAcer, "acer");
MACHINE(OnVelmora, "velmora");
MACHINE(OnUnknown, "unknown");
MACHINE(OnNoSmbios, "no-smbios");

}  // namespace mgx::hal
