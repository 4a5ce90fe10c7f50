// Halcore's process-wide state: one copy per process, no instance objects.
#pragma once

#include <windows.h>

#include <cstdint>

#include <halcore/back_end_state.h>

#include "bmc_api.h"
#include "imb_api.h"

namespace mgx::hal {

enum MachineType : std::int32_t { MachineIntel = 0, MachineAcer = 1, MachineVelmora = 5, MachineUnknown = 7 };

struct ProcessState {
    std::int32_t back_end_state = IntelUnitSilent;
    char baseboard_product[64] = {};  // upper-cased, at most 63 characters
    HANDLE device = nullptr;          // the driver probe's slot; the SMBus back end keeps it open
    char owner_name[20] = {};         // SMBus owner: the program's file name, at most 19 characters
    std::int32_t extended_retry = 0;
    SendTimedImbpRequestFunction send_timed_imbp_request = nullptr;
    IpmiCmdFunction ipmi_cmd = nullptr;
    HANDLE sensor_lock = nullptr;
    bool internal_start = false;  // set by the back ends around their driver starts
};

ProcessState &process_state();

}  // namespace mgx::hal
