#include "service_requests.h"

#include "service_pipe.h"

namespace mgx::service {

namespace {
constexpr DWORD block_size = 128;
}  // namespace

bool monitoring_service_answers() {
    char request[block_size] = "02";
    char reply[block_size] = {};
    return call_monitoring_service(command_pipe, request, block_size, reply, block_size);
}

bool tell_parts_changed(const PartsChangeMessage &message) {
    char reply[block_size] = {};
    return call_monitoring_service(parts_change_pipe, &message, sizeof message, reply, sizeof reply);
}

}  // namespace mgx::service
