#include "control_client.h"

#include <windows.h>

#include "device_protocol.h"
#include "win32/unique_handle.h"

namespace mgx::testbed {

namespace {

constexpr DWORD busy_wait_ms = 5000;  // all pipe instances busy: the system waits this long for one
constexpr int connect_attempts = 10;

win32::UniqueHandle connect() {
    for (int attempt = 0;; ++attempt) {
        win32::UniqueHandle pipe(
            CreateFileA(MGXTB_CONTROL_PIPE, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe) return pipe;
        const DWORD error = GetLastError();
        if (error != ERROR_PIPE_BUSY)
            throw ControlError("the virtual server is not running (control pipe: error " + std::to_string(error) + ")");
        if (attempt + 1 == connect_attempts || !WaitNamedPipeA(MGXTB_CONTROL_PIPE, busy_wait_ms))
            throw ControlError("the virtual server's control pipe stays busy");
    }
}

}  // namespace

bool server_reachable() {
    win32::UniqueHandle pipe(CreateFileA(MGXTB_CONTROL_PIPE, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return pipe.valid() || GetLastError() == ERROR_PIPE_BUSY;
}

nlohmann::json control_request(const std::string &command, nlohmann::json arguments) {
    arguments["command"] = command;
    const std::string request = arguments.dump();
    win32::UniqueHandle pipe = connect();
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) throw ControlError("cannot set message mode on the control pipe");

    DWORD written = 0;
    if (!WriteFile(pipe.get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr) ||
        written != request.size())
        throw ControlError("sending to the virtual server failed: error " + std::to_string(GetLastError()));

    std::string reply;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        BOOL complete = ReadFile(pipe.get(), buffer, sizeof buffer, &got, nullptr);
        if (!complete && GetLastError() != ERROR_MORE_DATA)
            throw ControlError("the virtual server did not answer: error " + std::to_string(GetLastError()));
        reply.append(buffer, got);
        if (complete) break;
    }
    nlohmann::json answer = nlohmann::json::parse(reply, nullptr, false);
    if (answer.is_discarded()) throw ControlError("the virtual server answered something that is not JSON");
    if (!answer.value("ok", false)) throw ControlError(answer.value("error", std::string("request refused")));
    return answer;
}

}  // namespace mgx::testbed
