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
    const auto *header_bytes = reinterpret_cast<const std::uint8_t *>(&header);
    Bytes frame;
    frame.reserve(sizeof header + output.size());
    frame.insert(frame.end(), header_bytes, header_bytes + sizeof header);
    frame.insert(frame.end(), output.begin(), output.end());
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
        DeviceReply reply;
        try {
            reply = server.handle(request);
        } catch (const std::exception &error) {
            server_log(std::string("device request failed inside the server: ") + error.what());
            reply = DeviceReply::failure(nt::io_device_error, error.what());
        }
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
        // Texts from devices (owner names, notes) need not be UTF-8: replace what is not.
        std::string text = reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        if (!write_exactly(pipe.get(), text.data(), static_cast<DWORD>(text.size()))) break;
    }
    DisconnectNamedPipe(pipe.get());
}

// Accepts connections on one instance at a time and hands each to a thread of its own. Two
// listeners run per pipe, so a client arriving while one of them is between accepting and
// creating its next instance still finds a listening instance.
template <typename Serve>
void listen(VirtualServer &server, const char *name, DWORD mode, UniqueHandle first, Serve serve) {
    UniqueHandle instance = std::move(first);
    for (;;) {
        if (!instance) {
            server_log(std::string("cannot create an instance of ") + name + "; listener ends");
            return;
        }
        const bool connected = ConnectNamedPipe(instance.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
        UniqueHandle next = create_instance(name, mode, false);
        if (connected) std::thread(serve, std::ref(server), std::move(instance)).detach();
        instance = std::move(next);
    }
}

template <typename Serve>
void start_listeners(VirtualServer &server, const char *name, DWORD mode, Serve serve) {
    // A server that was just stopped may still be on its way out, holding the name: give it
    // up to 10 s to go.
    UniqueHandle first = create_instance(name, mode, true);
    for (int i = 0; !first && GetLastError() == ERROR_ACCESS_DENIED && i < 100; ++i) {
        Sleep(100);
        first = create_instance(name, mode, true);
    }
    UniqueHandle second = create_instance(name, mode, false);
    if (!first || !second) throw std::runtime_error(std::string("cannot create ") + name + " (is another server running?)");
    std::thread(listen<Serve>, std::ref(server), name, mode, std::move(first), serve).detach();
    std::thread(listen<Serve>, std::ref(server), name, mode, std::move(second), serve).detach();
}

}  // namespace

void start_pipe_listeners(VirtualServer &server) {
    start_listeners(server, MGXTB_DEVICE_PIPE, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE, &serve_device_connection);
    start_listeners(server, MGXTB_CONTROL_PIPE, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, &serve_control_connection);
}

}  // namespace mgx::testbed
