// One forwarded device request and the server's answer to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ipmi_message.h"
#include "nt_status.h"

namespace mgx::testbed {

struct DeviceRequest {
    std::uint32_t device = 0;  // enum MgxtbDevice
    std::uint32_t code = 0;
    std::uint32_t process_id = 0;
    Bytes input;
    std::uint32_t output_capacity = 0;
};

struct DeviceReply {
    std::int32_t status = nt::success;
    Bytes output;  // at most the request's output capacity
    // For the exchange log: what happened, and the unit message carried, where there was one.
    std::string note;
    std::optional<IpmiRequest> request;
    std::optional<IpmiAnswer> answer;
    // Held back this long before it is sent, outside the server's lock (a delay fault).
    std::uint32_t delay_ms = 0;

    static DeviceReply failure(std::int32_t status, std::string note) {
        DeviceReply reply;
        reply.status = status;
        reply.note = std::move(note);
        return reply;
    }
};

}  // namespace mgx::testbed
