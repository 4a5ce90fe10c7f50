#include "pipe_listeners.h"

#include <cstring>

#include "bounded_json.h"
#include "control_commands.h"
#include "control_protocol.h"
#include "device_protocol.h"
#include "device_side.h"
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
        DeviceRequest request{header.device, header.code, header.process_id, Bytes(header.input_length), header.output_capacity};
        if (header.input_length && !read_exactly(pipe, request.input.data(), header.input_length)) return;
        DeviceReply reply;
        try {
            reply = handle_device_request(server, request);
        } catch (const std::exception &error) {
            server_log(std::string("device request failed inside the server: ") + error.what());
            reply = DeviceReply::failure(nt::io_device_error, error.what());
        }
        if (reply.delay_ms) Sleep(reply.delay_ms);
        if (!send_reply(pipe, reply.status, reply.output)) return;
    }
}

namespace key = control::key;

nlohmann::json run_control_message(VirtualServer &server, const std::string &message) {
    nlohmann::json request;
    try {
        request = parse_bounded_json(message);
    } catch (const nlohmann::json::parse_error &) {
        return {{key::ok, false}, {key::error, "request is not JSON"}};
    } catch (const JsonTooDeep &error) {
        return {{key::ok, false}, {key::error, std::string("request refused: ") + error.what()}};
    }
    ControlSide control(server);
    return run_control_command(control, request);
}

std::string answer_control_message(VirtualServer &server, const std::string &message) {
    const nlohmann::json reply = run_control_message(server, message);
    // Texts from devices (owner names, notes) need not be UTF-8: replace what is not.
    return reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string refuse_long_control_message(std::size_t size) {
    const std::string problem = "a control request of " + std::to_string(size) + " bytes is longer than the limit of " +
                                std::to_string(win32::message_limit) + " bytes";
    server_log(problem + "; refused");
    return nlohmann::json{{key::ok, false}, {key::error, problem}}.dump();
}

}  // namespace

PipeListeners start_pipe_listeners(VirtualServer &server) {
    return {std::make_unique<win32::PipeServer>(MGXTB_DEVICE_PIPE, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE,
                                                [&server](HANDLE pipe) { serve_device_connection(server, pipe); }),
            win32::serve_messages(
                MGXTB_CONTROL_PIPE, [&server](const std::string &message) { return answer_control_message(server, message); },
                refuse_long_control_message)};
}

}  // namespace mgx::testbed
