// Client of the virtual server's control pipe: one JSON request, one JSON reply.
#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "control_protocol.h"

namespace mgx::testbed {

// The server could not be reached, or it refused the request (its reason is the message).
class ControlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sends {"command": command, ...arguments} and returns the reply; throws ControlError when the
// server is not running or answers "ok": false.
nlohmann::json control_request(const std::string &command, nlohmann::json arguments = nlohmann::json::object());

// The exchange under control_request, on any message-mode pipe: sends `request` and returns the
// whole reply; throws ControlError when the pipe cannot be reached or the reply has not come
// within `timeout_ms` of connecting.
std::string exchange_message(const char *pipe_name, const std::string &request, unsigned long timeout_ms);

// True when the control pipe exists (the server runs).
bool server_reachable();

}  // namespace mgx::testbed
