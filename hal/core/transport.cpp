#include "transport.h"

#include <halcore/status_codes.h>

#include "process_state.h"

namespace mgx::hal {

std::int32_t SendMgxRequest(MgxRequest request, MgxResponse *response) {
    return SendControllerRequest(request, response, default_target);
}

std::int32_t SendControllerRequest(MgxRequest request, MgxResponse *response, std::uint8_t target) {
    if (!response) return status::bad_argument;
    switch (process_state().back_end_state) {
    case ImbUp:
    case ImbUpS450: return send_over_imb_api(request, *response);
    case BmcUp: return send_over_bmc_library(request, *response);
    default: return send_over_device(request, *response, target);
    }
}

}  // namespace mgx::hal
