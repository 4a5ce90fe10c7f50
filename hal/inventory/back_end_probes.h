// The three back-end state probes: each sends the running-time command (type 9) through the
// dispatcher and sets the back-end state from the answer.
#pragma once

#include <cstdint>

namespace mgx::hal {

void probe_imb_unit();            // 3, or 4 on an S450 board; 0 when the unit is silent
void probe_bmc_unit();            // 6; 5 when the unit is silent
std::int32_t probe_smbus_unit();  // only in state 2: 0 when the unit answers, else 1

}  // namespace mgx::hal
