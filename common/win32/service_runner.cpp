#include "win32/service_runner.h"

#include <windows.h>

#include <utility>

namespace mgx::win32 {

namespace {

struct Service {
    std::string name;
    std::function<void()> start, stopped;
    SERVICE_STATUS_HANDLE status = nullptr;
    HANDLE stop = nullptr;
};

Service service;

void report(DWORD state, DWORD exit_code = NO_ERROR) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exit_code;
    SetServiceStatus(service.status, &status);
}

DWORD WINAPI control_handler(DWORD control, DWORD, void *, void *) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        report(SERVICE_STOP_PENDING);
        SetEvent(service.stop);
    }
    return NO_ERROR;
}

void WINAPI service_main(DWORD, char **) {
    service.status = RegisterServiceCtrlHandlerExA(service.name.c_str(), control_handler, nullptr);
    if (!service.status) return;
    service.stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    report(SERVICE_START_PENDING);
    try {
        service.start();
    } catch (const std::exception &) {
        report(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
        return;
    }
    report(SERVICE_RUNNING);
    WaitForSingleObject(service.stop, INFINITE);
    if (service.stopped) service.stopped();
    report(SERVICE_STOPPED);
}

}  // namespace

int run_as_service(const std::string &name, std::function<void()> start, std::function<void()> stopped) {
    service.name = name;
    service.start = std::move(start);
    service.stopped = std::move(stopped);
    SERVICE_TABLE_ENTRYA table[] = {{service.name.data(), service_main}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}

}  // namespace mgx::win32
