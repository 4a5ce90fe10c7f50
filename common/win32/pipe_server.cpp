#include "win32/pipe_server.h"

#include <stdexcept>

namespace mgx::win32 {

namespace {

constexpr DWORD pipe_buffer_size = 64 * 1024;

}  // namespace

PipeServer::PipeServer(std::string name, DWORD mode, ConnectionHandler handler)
    : name_(std::move(name)), mode_(mode), handler_(std::move(handler)) {
    UniqueHandle first = create_instance(true);
    for (int i = 0; !first && GetLastError() == ERROR_ACCESS_DENIED && i < 100; ++i) {
        Sleep(100);
        first = create_instance(true);
    }
    UniqueHandle second = create_instance(false);
    if (!first || !second) throw std::runtime_error("cannot create " + name_ + " (is another server running?)");
    listening_ = 2;
    listeners_.emplace_back(&PipeServer::listen, this, std::move(first));
    listeners_.emplace_back(&PipeServer::listen, this, std::move(second));
}

UniqueHandle PipeServer::create_instance(bool first) const {
    const DWORD open_mode = PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return UniqueHandle(CreateNamedPipeA(name_.c_str(), open_mode, mode_ | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, pipe_buffer_size,
                                         pipe_buffer_size, 0, nullptr));
}

void PipeServer::listen(UniqueHandle instance) {
    while (instance) {
        const bool connected = ConnectNamedPipe(instance.get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
        if (stopping_) break;
        // The next instance listens before this one is handed over. Should it fail to come
        // into being, this listener ends and the other one goes on.
        UniqueHandle next = create_instance(false);
        if (connected) start_connection(std::move(instance));
        instance = std::move(next);
    }
    --listening_;
}

// A blocking ConnectNamedPipe returns only for a client: connect to each listener until all
// have seen the stop.
void PipeServer::wake_listeners() const {
    while (listening_ > 0) {
        UniqueHandle client(CreateFileA(name_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!client && GetLastError() == ERROR_PIPE_BUSY) WaitNamedPipeA(name_.c_str(), 10);
        if (!client) SwitchToThread();  // a listener between two instances
    }
}

void PipeServer::start_connection(UniqueHandle pipe) {
    std::lock_guard lock(mutex_);
    std::erase_if(connections_, [](Connection &connection) {
        if (!connection.finished) return false;
        connection.thread.join();
        return true;
    });
    Connection &connection = connections_.emplace_back(pipe.release());
    connection.thread = std::thread(&PipeServer::serve, this, std::ref(connection));
}

void PipeServer::serve(Connection &connection) {
    handler_(connection.pipe);
    // Disconnecting discards what the client has not read yet: the last answer (a refusal before
    // the connection is dropped, say) is waited for first. A stop disconnects the pipe, which
    // ends this wait too.
    FlushFileBuffers(connection.pipe);
    HANDLE pipe;
    {
        std::lock_guard lock(mutex_);
        pipe = std::exchange(connection.pipe, nullptr);  // stop disconnects only what is still open
    }
    DisconnectNamedPipe(pipe);
    CloseHandle(pipe);
    connection.finished = true;
}

void PipeServer::stop() {
    if (stopping_.exchange(true)) return;
    wake_listeners();
    for (std::thread &listener : listeners_) listener.join();
    {
        // A disconnected pipe fails the handler's pending read or write, so the handler returns.
        std::lock_guard lock(mutex_);
        for (Connection &connection : connections_)
            if (connection.pipe) DisconnectNamedPipe(connection.pipe);
    }
    for (Connection &connection : connections_) connection.thread.join();  // the listeners add no more
}

std::unique_ptr<PipeServer> serve_messages(const char *name, std::function<std::string(const std::string &)> answer,
                                           std::function<std::string(std::size_t size)> too_long) {
    return std::make_unique<PipeServer>(name, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, [answer, too_long](HANDLE pipe) {
        std::string message;
        std::size_t size = 0;
        for (;;) {
            const MessageRead read = read_bounded_message(pipe, message, size);
            if (read == MessageRead::Broken || (read == MessageRead::TooLong && !too_long)) break;
            const std::string reply = read == MessageRead::Complete ? answer(message) : too_long(size);
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

MessageRead read_bounded_message(HANDLE pipe, std::string &message, std::size_t &size, std::size_t limit) {
    message.clear();
    size = 0;
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        BOOL complete = ReadFile(pipe, buffer, sizeof buffer, &got, nullptr);
        if (!complete && GetLastError() != ERROR_MORE_DATA) return MessageRead::Broken;
        size += got;
        if (size <= limit)
            message.append(buffer, got);
        else
            message.clear();
        if (complete) return size <= limit ? MessageRead::Complete : MessageRead::TooLong;
    }
}

bool read_message(HANDLE pipe, std::string &message) {
    std::size_t size = 0;
    return read_bounded_message(pipe, message, size) == MessageRead::Complete;
}

}  // namespace mgx::win32
