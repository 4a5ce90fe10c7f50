// The server's two named pipes: the device pipe the drivers forward requests over (byte mode,
// one request frame then one reply frame, repeated), and the control pipe (message mode, one
// JSON request answered by one JSON reply). One thread per connection.
#pragma once

#include <memory>

#include "virtual_server.h"
#include "win32/pipe_server.h"

namespace mgx::testbed {

struct PipeListeners {
    std::unique_ptr<win32::PipeServer> device, control;
};

// Creates the first instances of both pipes (so clients can connect once this returns) and
// serves them on background threads until the listeners are destroyed, which breaks every
// connection. Throws when a pipe cannot be created (another server runs).
PipeListeners start_pipe_listeners(VirtualServer &server);

}  // namespace mgx::testbed
