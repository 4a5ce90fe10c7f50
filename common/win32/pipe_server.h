// Named-pipe servers: every connection gets a thread of its own, for the life of the process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace mgx::win32 {

// Called on the connection's own thread; the pipe is disconnected and closed after it returns.
using ConnectionHandler = std::function<void(HANDLE pipe)>;

// Serves the pipe `name` with two listening instances, so a client arriving while one listener
// hands a connection over still finds one. Throws std::runtime_error when the name is taken
// (a server that was just stopped is given up to 10 s to let it go).
void serve_pipe(const char *name, DWORD mode, ConnectionHandler handler);

// A message-mode pipe that answers each message with the reply `answer` gives.
void serve_messages(const char *name, std::function<std::string(const std::string &)> answer);

bool read_exactly(HANDLE pipe, void *buffer, DWORD length);
bool write_exactly(HANDLE pipe, const void *buffer, DWORD length);
// One whole message of a message-mode pipe; false when the client went away.
bool read_message(HANDLE pipe, std::string &message);

}  // namespace mgx::win32
