// HCXInitImbSmbDll and HCXFreeImbSmbDll: detect the machine family, start or stop its back end.
#include <windows.h>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "back_ends.h"
#include "machine_detection.h"
#include "platform.h"
#include "process_state.h"
#include "trace.h"

#include <cstring>

using namespace mgx::hal;

extern "C" std::int32_t HCXInitImbSmbDll(std::int32_t *type) {
    ProcessState &state = process_state();
    std::memset(state.baseboard_product, 0, sizeof state.baseboard_product);
    HAL_TRACE(trace_main, "Called HCXInitImbSmbDll ()");
    if (!type) {
        HAL_TRACE(trace_main, "Passed Pointer is NULL");
        return status::bad_argument;
    }
    if (std::int32_t detected = DetectMachineType(type); detected != status::ok) return detected;

    switch (*type) {
    case MachineAcer: {
        std::int32_t result = status::ok;
        for (int attempt = 0; attempt < 5; ++attempt) {
            state.back_end_state = SmbusUp;
            result = start_smbus_back_end("\\\\.\\SMBUS2");
            if (result == status::ok) {
                *type = state.back_end_state;
                return status::ok;
            }
            wait_ms(1000);
        }
        return result;
    }
    case MachineIntel: {
        state.back_end_state = IntelUnitSilent;
        std::int32_t result = start_imb_back_end();
        *type = state.back_end_state;
        return result;
    }
    case MachineVelmora: {
        state.back_end_state = BmcUnitSilent;
        std::int32_t result = start_bmc_back_end();
        *type = state.back_end_state;
        return result;
    }
    default:
        state.back_end_state = Unrecognised;
        *type = Unrecognised;
        return status::ok;
    }
}

extern "C" std::int32_t HCXFreeImbSmbDll() {
    std::int32_t type = MachineUnknown;
    if (std::int32_t detected = DetectMachineType(&type); detected != status::ok) return detected;
    switch (type) {
    case MachineAcer: return stop_smbus_back_end();
    case MachineIntel: return stop_imb_back_end();
    case MachineVelmora: return stop_bmc_back_end();
    default: return status::ok;
    }
}
