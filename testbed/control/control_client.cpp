#include "control_client.h"

#include <windows.h>

#include "device_protocol.h"
#include "win32/unique_handle.h"

namespace mgx::testbed {

namespace {

constexpr DWORD busy_wait_ms = 5000;  // all pipe instances busy: the system waits this long for one
constexpr int connect_attempts = 10;
constexpr DWORD reply_timeout_ms = 30000;  // every control command is answered at once

win32::UniqueHandle connect(const char *pipe_name) {
    for (int attempt = 0;; ++attempt) {
        win32::UniqueHandle pipe(
            CreateFileA(pipe_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        if (pipe) return pipe;
        const DWORD error = GetLastError();
        if (error != ERROR_PIPE_BUSY)
            throw ControlError("the virtual server is not running (control pipe: error " + std::to_string(error) + ")");
        if (attempt + 1 == connect_attempts || !WaitNamedPipeA(pipe_name, busy_wait_ms))
            throw ControlError("the virtual server's control pipe stays busy");
    }
}

// One read or write on the overlapped pipe, signalled through `event`, given up at `deadline` (a
// GetTickCount64 value). Returns 0 when done, ERROR_MORE_DATA when a read got part of a message,
// WAIT_TIMEOUT when the deadline passed, or the error that ended it.
DWORD transfer(HANDLE pipe, HANDLE event, bool reading, void *buffer, DWORD length, DWORD &done, ULONGLONG deadline) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    const BOOL started =
        reading ? ReadFile(pipe, buffer, length, nullptr, &overlapped) : WriteFile(pipe, buffer, length, nullptr, &overlapped);
    if (!started && GetLastError() != ERROR_IO_PENDING && GetLastError() != ERROR_MORE_DATA) return GetLastError();
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    if (WaitForSingleObject(event, left) == WAIT_TIMEOUT) {
        CancelIoEx(pipe, &overlapped);
        GetOverlappedResult(pipe, &overlapped, &done, TRUE);  // the request must end before its buffer does
        return WAIT_TIMEOUT;
    }
    return GetOverlappedResult(pipe, &overlapped, &done, FALSE) ? 0 : GetLastError();
}

[[noreturn]] void fail_transfer(const char *what, DWORD error) {
    if (error == WAIT_TIMEOUT) throw ControlError(std::string("the virtual server did not ") + what + " in time");
    throw ControlError(std::string("the virtual server did not ") + what + ": error " + std::to_string(error));
}

}  // namespace

std::string exchange_message(const char *pipe_name, const std::string &request, unsigned long timeout_ms) {
    win32::UniqueHandle pipe = connect(pipe_name);
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr))
        throw ControlError("cannot set message mode on the control pipe");
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    win32::UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));  // reset by each read or write
    if (!event) throw ControlError("cannot create an event: error " + std::to_string(GetLastError()));

    DWORD written = 0;
    // transfer only reads the buffer of a write.
    if (const DWORD error = transfer(pipe.get(), event.get(), false, const_cast<char *>(request.data()),
                                     static_cast<DWORD>(request.size()), written, deadline))
        fail_transfer("take the request", error);
    if (written != request.size()) throw ControlError("the virtual server took only part of the request");

    std::string reply;
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        const DWORD error = transfer(pipe.get(), event.get(), true, buffer, sizeof buffer, got, deadline);
        if (error && error != ERROR_MORE_DATA) fail_transfer("answer", error);
        reply.append(buffer, got);
        if (!error) return reply;
    }
}

bool server_reachable() {
    win32::UniqueHandle pipe(
        CreateFileA(MGXTB_CONTROL_PIPE, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return pipe.valid() || GetLastError() == ERROR_PIPE_BUSY;
}

nlohmann::json control_request(const std::string &command, nlohmann::json arguments) {
    arguments[control::key::command] = command;
    const std::string reply = exchange_message(MGXTB_CONTROL_PIPE, arguments.dump(), reply_timeout_ms);
    nlohmann::json answer = nlohmann::json::parse(reply, nullptr, false);
    if (answer.is_discarded()) throw ControlError("the virtual server answered something that is not JSON");
    if (!answer.value(control::key::ok, false))
        throw ControlError(answer.value(control::key::error, std::string("request refused")));
    return answer;
}

}  // namespace mgx::testbed
