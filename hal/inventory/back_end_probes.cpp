#include "back_end_probes.h"

#include <cstring>

#include <halcore/mgx_call.h>

#include "process_state.h"

namespace mgx::hal {

namespace {

std::int32_t running_time() {
    std::uint32_t hours = 0;
    return mgx_call<CommandType::RunningHours>(hours);
}

}  // namespace

void probe_imb_unit() {
    ProcessState &state = process_state();
    state.back_end_state = ImbUp;
    if (running_time() != 0)
        state.back_end_state = IntelUnitSilent;
    else if (std::strstr(state.baseboard_product, "S450"))
        state.back_end_state = ImbUpS450;
}

void probe_bmc_unit() {
    ProcessState &state = process_state();
    state.back_end_state = BmcUp;
    if (running_time() != 0) state.back_end_state = BmcUnitSilent;
}

std::int32_t probe_smbus_unit() {
    ProcessState &state = process_state();
    if (state.back_end_state != SmbusUp) return 0;
    if (running_time() == 0) return 0;
    state.back_end_state = SmbusUp;
    return 1;
}

}  // namespace mgx::hal
