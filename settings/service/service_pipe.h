// Calls to the monitoring service GK7T30SV over its named pipes. While the service is stopped
// any process may serve those names, so a call talks only to the service itself: the pipe is
// opened for identification only (its server cannot act as the caller), and nothing is sent
// unless the server is the running service's process.
#pragma once

#include <windows.h>

namespace mgx::service {

inline constexpr const char *monitoring_service = "GK7T30SV";

// The process of the running monitoring service as the service manager reports it, 0 when it
// is not running. Asks the service nothing.
DWORD monitoring_service_process();

// As CallNamedPipeA with NMPWAIT_WAIT_FOREVER: connects (waiting while every instance is busy),
// writes the message, reads one reply into `reply` and closes. False when there is no such
// pipe, its server is not the service's process, or the exchange fails.
bool call_monitoring_service(const char *pipe, const void *message, DWORD size, void *reply, DWORD capacity);

}  // namespace mgx::service
