#include "pipe_listeners.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <thread>

#include "control_commands.h"
#include "device_protocol.h"
#include "server_log.h"
#include "win32/unique_handle.h"

namespace mgx::testbed {

namespace {

using win32::UniqueHandle;

constexpr DWORD pipe_buffer_size = 64 * 1024;

UniqueHandle create_instance(const char *name, DWORD mode, bool first) {
    DWORD open_mode = PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return UniqueHandle(CreateNamedPipeA(name, open_mode, mode | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, pipe_buffer_size,
                                         pipe_buffer_size, 0, nullptr));
}

bool read_exactly(HANDLE pipe, void *buffer, DWORD length) {
    auto *bytes = static_cast<std::uint8_t *>(buffer);
    while (length) {
        DWORD got = 0;
        if (!ReadFile(pipe, bytes, length, &got, nullptr) || got == 0) return false;
        bytes += got;
        length -= got;
    }
    return true;
}

bool write_exactly(HANDLE pipe, const void *buffer, DWORD length) {
    auto *bytes = static_cast<const std::uint8_t *>(buffer);
    while (length) {
        DWORD put = 0;
        if (!WriteFile(pipe, bytes, length, &put, nullptr) || put == 0) return false;
        bytes += put;
        length -= put;
    }
    return true;
}

bool send_reply(HANDLE pipe, std::int32_t status, const Bytes &output) {
    MgxtbReplyHeader header{MGXTB_FRAME_MAGIC, status, static_cast<std::uint32_t>(output.size())};
    Bytes frame(sizeof header + output.size());
    std::memcpy(frame.data(), &header, sizeof header);
    std::copy(output.begin(), output.end(), frame.begin() + sizeof header);
    return write_exactly(pipe, frame.data(), static_cast<DWORD>(frame.size()));
}

void serve_device_connection(VirtualServer &server, UniqueHandle pipe) {
    for (;;) {
        MgxtbRequestHeader header;
        if (!read_exactly(pipe.get(), &header, sizeof header)) break;
        if (header.magic != MGXTB_FRAME_MAGIC || header.input_length > MGXTB_MAX_INPUT ||
            header.output_capacity > MGXTB_MAX_OUTPUT) {
            // The stream cannot be trusted past a bad header: answer once and drop the connection.
            server_log("malformed request frame; connection dropped");
            send_reply(pipe.get(), nt::invalid_parameter, {});
            break;
        }
        DeviceRequest request{header.device, header.code, header.process_id, Bytes(header.input_length),
                              header.output_capacity};
        if (header.input_length && !read_exactly(pipe.get(), request.input.data(), header.input_length)) break;
        DeviceReply reply = server.handle(request);
        if (!send_reply(pipe.get(), reply.status, reply.output)) break;
    }
    DisconnectNamedPipe(pipe.get());
}

// Reads one whole message of a message-mode pipe; false when the client went away.
bool read_message(HANDLE pipe, std::string &message) {
    message.clear();
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        BOOL complete = ReadFile(pipe, buffer, sizeof buffer, &got, nullptr);
        if (!complete && GetLastError() != ERROR_MORE_DATA) return false;
        message.append(buffer, got);
        if (complete) return true;
        if (message.size() > 16 * 1024 * 1024) return false;
    }
}

void serve_control_connection(VirtualServer &server, UniqueHandle pipe) {
    std::string message;
    while (read_message(pipe.get(), message)) {
        nlohmann::json request = nlohmann::json::parse(message, nullptr, false);
        nlohmann::json reply = request.is_discarded() ? nlohmann::json{{"ok", false}, {"error", "request is not JSON"}}
                                                      : run_control_command(server, request);
        std::string text = reply.dump();
        if (!write_exactly(pipe.get(), text.data(), static_cast<DWORD>(text.size()))) break;
    }
    DisconnectNamedPipe(pipe.get());
}

template <typename Serve>
void listen(VirtualServer &server, const char *name, DWORD mode, UniqueHandle first, Serve serve) {
    UniqueHandle instance = std::move(first);
    for (;;) {
        if (!instance) {
            server_log(std::string("cannot create an instance of ") + name);
            Sleep(1000);  // resources exhausted; try again rather than end the listener
            instance = create_instance(name, mode, false);
            continue;
        }
        if (ConnectNamedPipe(instance.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
            std::thread(serve, std::ref(server), std::move(instance)).detach();
        }
        instance = create_instance(name, mode, false);
    }
}

}  // namespace

void start_pipe_listeners(VirtualServer &server) {
    const DWORD device_mode = PIPE_TYPE_BYTE | PIPE_READMODE_BYTE;
    const DWORD control_mode = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE;
    UniqueHandle device = create_instance(MGXTB_DEVICE_PIPE, device_mode, true);
    UniqueHandle control = create_instance(MGXTB_CONTROL_PIPE, control_mode, true);
    if (!device || !control) throw std::runtime_error("cannot create the server's pipes (is another server running?)");
    std::thread(listen<decltype(&serve_device_connection)>, std::ref(server), MGXTB_DEVICE_PIPE, device_mode,
                std::move(device), &serve_device_connection)
        .detach();
    std::thread(listen<decltype(&serve_control_connection)>, std::ref(server), MGXTB_CONTROL_PIPE, control_mode,
                std::move(control), &serve_control_connection)
        .detach();
}

}  // namespace mgx::testbed
