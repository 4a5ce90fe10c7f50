// Named-pipe servers: every connection gets a thread of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "win32/unique_handle.h"

namespace mgx::win32 {

// Called on the connection's own thread; the pipe is disconnected and closed after it returns.
using ConnectionHandler = std::function<void(HANDLE pipe)>;

// Serves the pipe `name` with two listening instances, so a client arriving while one listener
// hands a connection over still finds one.
class PipeServer {
public:
    // Throws std::runtime_error when the name is taken (a server that was just stopped is given
    // up to 10 s to let it go).
    PipeServer(std::string name, DWORD mode, ConnectionHandler handler);
    ~PipeServer() { stop(); }
    PipeServer(const PipeServer &) = delete;
    PipeServer &operator=(const PipeServer &) = delete;

    // Once this returns no client can connect any more, every connection has been broken and
    // every handler has returned, so nothing runs on the server's behalf.
    void stop();

private:
    UniqueHandle create_instance(bool first) const;
    void listen(UniqueHandle instance);
    void wake_listeners() const;
    // A connection's thread; `pipe` is open until the thread is done with it.
    struct Connection {
        HANDLE pipe;
        std::atomic<bool> finished{false};
        std::thread thread;
    };

    void start_connection(UniqueHandle pipe);
    void serve(Connection &connection);

    const std::string name_;
    const DWORD mode_;
    const ConnectionHandler handler_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> listening_{0};
    std::vector<std::thread> listeners_;
    std::mutex mutex_;  // guards connections_ and their pipes
    std::list<Connection> connections_;
};

inline constexpr std::size_t message_limit = 16 * 1024 * 1024;

// A message-mode pipe that answers each message with the reply `answer` gives, and a message
// longer than message_limit with the reply `too_long` gives for its size (without one, such a
// message ends the connection).
std::unique_ptr<PipeServer> serve_messages(const char *name, std::function<std::string(const std::string &)> answer,
                                           std::function<std::string(std::size_t size)> too_long = {});

bool read_exactly(HANDLE pipe, void *buffer, DWORD length);
bool write_exactly(HANDLE pipe, const void *buffer, DWORD length);

enum class MessageRead { Complete, TooLong, Broken };
// One whole message of a message-mode pipe. A message longer than `limit` is read to its end
// but not kept: TooLong, with `size` its length. Broken when the client went away.
MessageRead read_bounded_message(HANDLE pipe, std::string &message, std::size_t &size, std::size_t limit = message_limit);
// One whole message of at most message_limit bytes; false otherwise or when the client went away.
bool read_message(HANDLE pipe, std::string &message);

}  // namespace mgx::win32
