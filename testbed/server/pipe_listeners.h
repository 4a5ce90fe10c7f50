// The server's two named pipes: the device pipe the drivers forward requests over (byte mode,
// one request frame then one reply frame, repeated), and the control pipe (message mode, one
// JSON request answered by one JSON reply). One thread per connection.
#pragma once

#include "virtual_server.h"

namespace mgx::testbed {

// Creates the first instance of both pipes (so clients can connect once this returns) and
// serves them on background threads for the life of the process. Throws when a pipe cannot be
// created (another server runs).
void start_pipe_listeners(VirtualServer &server);

}  // namespace mgx::testbed
