#include "exchange_log.h"

#include <cstdio>

#include "control_protocol.h"
#include "device_protocol.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace key = control::key;

namespace {

// Larger outputs (mapped memory) are logged by length only.
constexpr std::size_t logged_output_limit = 512;

const char *device_label(std::uint32_t device) {
    switch (device) {
    case MgxtbDeviceImb: return "imb";
    case MgxtbDeviceBmc: return "bmc";
    case MgxtbDeviceSmbus: return "smbus";
    }
    return "unknown";
}

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

}  // namespace

void ExchangeLog::record(std::int64_t time_ms, const DeviceRequest &request, const DeviceReply &reply) {
    if (entries_.size() == capacity) entries_.pop_front();
    entries_.push_back({next_sequence_++, time_ms, request, reply});
}

nlohmann::json ExchangeLog::since(std::uint64_t sequence) const {
    nlohmann::json list = nlohmann::json::array();
    for (const Exchange &exchange : entries_)
        if (exchange.sequence >= sequence) list.push_back(to_json(exchange));
    return list;
}

nlohmann::json to_json(const Exchange &exchange) {
    const DeviceRequest &request = exchange.request;
    const DeviceReply &reply = exchange.reply;
    nlohmann::json node = {
        {key::sequence, exchange.sequence},
        {key::time_ms, exchange.time_ms},
        {key::device, device_label(request.device)},
        {key::code, hex32(request.code)},
        {key::process_id, request.process_id},
        {key::input, text::to_hex(request.input)},
        {key::output_capacity, request.output_capacity},
        {key::nt_status, hex32(static_cast<std::uint32_t>(reply.status))},
        {key::output_length, reply.output.size()},
        {key::note, reply.note},
    };
    if (reply.output.size() <= logged_output_limit) node[key::output] = text::to_hex(reply.output);
    if (reply.request)
        node[key::request] = {{key::netfn, reply.request->network_function},
                              {key::command, reply.request->command},
                              {key::data, text::to_hex(reply.request->data)}};
    if (reply.answer)
        node[key::answer] = {{key::completion_code, reply.answer->completion_code},
                             {key::data, text::to_hex(reply.answer->data)}};
    return node;
}

}  // namespace mgx::testbed
