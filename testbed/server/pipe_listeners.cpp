#include "pipe_listeners.h"

#include <cstring>

#include "control_commands.h"
#include "device_protocol.h"
#include "server_log.h"
#include "win32/pipe_server.h"

namespace mgx::testbed {

namespace {

using win32::read_exactly;
using win32::write_exactly;

bool send_reply(HANDLE pipe, std::int32_t status, const Bytes &output) {
    MgxtbReplyHeader header{MGXTB_FRAME_MAGIC, status, static_cast<std::uint32_t>(output.size())};
    const auto *header_bytes = reinterpret_cast<const std::uint8_t *>(&header);
    Bytes frame;
    frame.reserve(sizeof header + output.size());
    frame.insert(frame.end(), header_bytes, header_bytes + sizeof header);
    frame.insert(frame.end(), output.begin(), output.end());
    return write_exactly(pipe, frame.data(), static_cast<DWORD>(frame.size()));
}

void serve_device_connection(VirtualServer &server, HANDLE pipe) {
    for (;;) {
        MgxtbRequestHeader header;
        if (!read_exactly(pipe, &header, sizeof header)) return;
        if (header.magic != MGXTB_FRAME_MAGIC || header.input_length > MGXTB_MAX_INPUT ||
            header.output_capacity > MGXTB_MAX_OUTPUT) {
            // The stream cannot be trusted past a bad header: answer once and drop the connection.
            server_log("malformed request frame; connection dropped");
            send_reply(pipe, nt::invalid_parameter, {});
            return;
        }
        DeviceRequest request{header.device, header.code, header.process_id, Bytes(header.input_length),
                              header.output_capacity};
        if (header.input_length && !read_exactly(pipe, request.input.data(), header.input_length)) return;
        DeviceReply reply;
        try {
            reply = server.handle(request);
        } catch (const std::exception &error) {
            server_log(std::string("device request failed inside the server: ") + error.what());
            reply = DeviceReply::failure(nt::io_device_error, error.what());
        }
        if (!send_reply(pipe, reply.status, reply.output)) return;
    }
}

std::string answer_control_message(VirtualServer &server, const std::string &message) {
    nlohmann::json request = nlohmann::json::parse(message, nullptr, false);
    nlohmann::json reply = request.is_discarded() ? nlohmann::json{{"ok", false}, {"error", "request is not JSON"}}
                                                  : run_control_command(server, request);
    // Texts from devices (owner names, notes) need not be UTF-8: replace what is not.
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

PipeListeners start_pipe_listeners(VirtualServer &server) {
    return {std::make_unique<win32::PipeServer>(MGXTB_DEVICE_PIPE, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE,
                                                [&server](HANDLE pipe) { serve_device_connection(server, pipe); }),
            win32::serve_messages(MGXTB_CONTROL_PIPE,
                                  [&server](const std::string &message) { return answer_control_message(server, message); })};
}

}  // namespace mgx::testbed
