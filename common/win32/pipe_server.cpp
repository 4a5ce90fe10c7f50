#include "win32/pipe_server.h"

#include <stdexcept>
#include <thread>

#include "win32/unique_handle.h"

namespace mgx::win32 {

namespace {

constexpr DWORD pipe_buffer_size = 64 * 1024;
constexpr std::size_t message_limit = 16 * 1024 * 1024;

UniqueHandle create_instance(const char *name, DWORD mode, bool first) {
    DWORD open_mode = PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return UniqueHandle(CreateNamedPipeA(name, open_mode, mode | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, pipe_buffer_size,
                                         pipe_buffer_size, 0, nullptr));
}

void listen(std::string name, DWORD mode, UniqueHandle instance, ConnectionHandler handler) {
    while (instance) {
        const bool connected = ConnectNamedPipe(instance.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
        UniqueHandle next = create_instance(name.c_str(), mode, false);
        if (connected) {
            std::thread(
                [handler](UniqueHandle pipe) {
                    handler(pipe.get());
                    DisconnectNamedPipe(pipe.get());
                },
                std::move(instance))
                .detach();
        }
        instance = std::move(next);
    }
}

}  // namespace

void serve_pipe(const char *name, DWORD mode, ConnectionHandler handler) {
    UniqueHandle first = create_instance(name, mode, true);
    for (int i = 0; !first && GetLastError() == ERROR_ACCESS_DENIED && i < 100; ++i) {
        Sleep(100);
        first = create_instance(name, mode, true);
    }
    UniqueHandle second = create_instance(name, mode, false);
    if (!first || !second) throw std::runtime_error(std::string("cannot create ") + name + " (is another server running?)");
    std::thread(listen, std::string(name), mode, std::move(first), handler).detach();
    std::thread(listen, std::string(name), mode, std::move(second), handler).detach();
}

void serve_messages(const char *name, std::function<std::string(const std::string &)> answer) {
    serve_pipe(name, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, [answer](HANDLE pipe) {
        std::string message;
        while (read_message(pipe, message)) {
            const std::string reply = answer(message);
            if (!write_exactly(pipe, reply.data(), static_cast<DWORD>(reply.size()))) break;
        }
    });
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

bool read_message(HANDLE pipe, std::string &message) {
    message.clear();
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        BOOL complete = ReadFile(pipe, buffer, sizeof buffer, &got, nullptr);
        if (!complete && GetLastError() != ERROR_MORE_DATA) return false;
        message.append(buffer, got);
        if (complete) return true;
        if (message.size() > message_limit) return false;
    }
}

}  // namespace mgx::win32
