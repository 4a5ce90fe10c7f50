#include "machine_detection.h"

#include <cstring>

#include <halcore/status_codes.h>

#include "bounded_text.h"
#include "platform.h"
#include "process_state.h"
#include "smbios_information.h"
#include "trace.h"

namespace mgx::hal {

namespace {

constexpr const char *baseboard = "BASEBOARD INFORMATION";

}  // namespace

std::int32_t DetectMachineType(std::int32_t *type) {
    if (!type) return status::bad_argument;
    const SmbiosInformation &smbios = smbios_information();
    for (int pass = 0; pass < 15; ++pass) {
        *type = MachineUnknown;
        if (smbios.is_present() != 1) {
            HAL_TRACE(trace_main, "SMBIOS is not Supported");
            return status::smbios_absent;
        }
        if (smbios.count_structures(baseboard) <= 0) {
            HAL_TRACE(trace_main, "SMBIOS is Supported but BaseBoard Information is not Avaailable");
            return status::smbios_absent;
        }
        char manufacturer[64];
        char *text = smbios.get_string(baseboard, 1, 1);
        upper_case_ascii(text);
        copy_bounded(manufacturer, text);
        if (std::strncmp(manufacturer, "ACER", 4) == 0) *type = MachineAcer;
        if (std::strncmp(manufacturer, "INTEL", 5) == 0) *type = MachineIntel;
        if (std::strncmp(manufacturer, "VELMORA", 7) == 0) *type = MachineVelmora;
        HAL_TRACE(trace_main, "Machine Type is %d", static_cast<int>(*type));

        char *product = smbios.get_string(baseboard, 1, 2);
        upper_case_ascii(product);
        copy_bounded(process_state().baseboard_product, product);
        if (*type == MachineUnknown) wait_ms(1000);
    }
    return status::ok;
}

}  // namespace mgx::hal
