#include "testbed_services.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "win32/unique_handle.h"

namespace mgx::testbed {

namespace {

using win32::UniqueServiceHandle;

[[noreturn]] void fail(const std::string &step) {
    throw std::runtime_error(step + " failed with error " + std::to_string(GetLastError()));
}

UniqueServiceHandle open_manager() {
    UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) fail("OpenSCManager");
    return manager;
}

// Polls until the service reaches `wanted` (the manager has no blocking wait); 30 s at most.
bool wait_for_state(SC_HANDLE service, DWORD wanted) {
    for (int i = 0; i < 300; ++i) {
        SERVICE_STATUS status;
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == wanted) return true;
        Sleep(100);
    }
    return false;
}

// The start failures that come from load, not from the service: right after a prefix is made or
// booted, the manager holds its start-up lock while it starts the automatic services and refuses
// other starts meanwhile; a first start of a new program can outlast its wait for the service to
// report; and on a busy machine Wine's driver host can fail a driver's start outright (1359).
bool start_failed_for_load(DWORD error) {
    return error == ERROR_SERVICE_DATABASE_LOCKED || error == ERROR_SERVICE_REQUEST_TIMEOUT || error == ERROR_INTERNAL_ERROR;
}

void start(SC_HANDLE service, const std::string &name) {
    // Such failures are tried again, for up to 60 s, and said on stderr.
    BOOL started = StartServiceA(service, 0, nullptr);
    for (int i = 0; !started && i < 120; ++i) {
        const DWORD error = GetLastError();
        if (!start_failed_for_load(error)) break;
        if (i == 0)
            std::fprintf(stderr, "vserver: starting %s failed with error %lu; trying again for up to 60 s\n", name.c_str(),
                         error);
        Sleep(500);
        started = StartServiceA(service, 0, nullptr);
    }
    const DWORD error = started ? 0 : GetLastError();
    if (!started && error != ERROR_SERVICE_ALREADY_RUNNING) {
        // A start already under way (the manager starting automatic services) refuses a second one.
        SERVICE_STATUS status;
        if (!QueryServiceStatus(service, &status) ||
            (status.dwCurrentState != SERVICE_START_PENDING && status.dwCurrentState != SERVICE_RUNNING)) {
            SetLastError(error);
            fail("starting " + name);
        }
    }
    if (!wait_for_state(service, SERVICE_RUNNING)) throw std::runtime_error(name + " did not reach the running state");
}

void install_in(SC_HANDLE manager, const std::string &name, DWORD type, const std::string &binary) {
    UniqueServiceHandle service(CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, type, SERVICE_AUTO_START,
                                               SERVICE_ERROR_NORMAL, binary.c_str(), nullptr, nullptr, nullptr, nullptr,
                                               nullptr));
    if (!service) {
        if (GetLastError() != ERROR_SERVICE_EXISTS) fail("creating service " + name);
        service = UniqueServiceHandle(OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS));
        if (!service) fail("opening service " + name);
        if (!ChangeServiceConfigA(service.get(), type, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, binary.c_str(), nullptr, nullptr,
                                  nullptr, nullptr, nullptr, name.c_str()))
            fail("updating service " + name);
    }
    start(service.get(), name);
}

UniqueServiceHandle open_existing(SC_HANDLE manager, const std::string &name) {
    UniqueServiceHandle service(OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) fail("opening service " + name);
    return service;
}

void remove_in(SC_HANDLE manager, const std::string &name) {
    UniqueServiceHandle service(OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) {
        if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return;
        fail("opening service " + name);
    }
    SERVICE_STATUS status;
    if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) wait_for_state(service.get(), SERVICE_STOPPED);
    if (!DeleteService(service.get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) fail("deleting service " + name);
}

std::string drivers_directory() {
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) fail("GetSystemDirectory");
    return std::string(system) + "\\drivers\\";
}

}  // namespace

void start_existing_service(const std::string &name) {
    UniqueServiceHandle manager = open_manager();
    start(open_existing(manager.get(), name).get(), name);
}

void stop_existing_service(const std::string &name) {
    UniqueServiceHandle manager = open_manager();
    UniqueServiceHandle service = open_existing(manager.get(), name);
    SERVICE_STATUS status;
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status) && GetLastError() != ERROR_SERVICE_NOT_ACTIVE)
        fail("stopping " + name);
    if (!wait_for_state(service.get(), SERVICE_STOPPED)) throw std::runtime_error(name + " did not stop");
}

void install_service(const std::string &name, unsigned long type, const std::string &binary) {
    install_in(open_manager().get(), name, type, binary);
}

void remove_service(const std::string &name) { remove_in(open_manager().get(), name); }

void install_server_service(const std::string &command_line) {
    install_service(server_service_name, SERVICE_WIN32_OWN_PROCESS, command_line);
}

void remove_server_service() { remove_service(server_service_name); }

void install_driver_services() {
    UniqueServiceHandle manager = open_manager();
    for (const DriverService &driver : driver_services())
        install_in(manager.get(), driver.service, SERVICE_KERNEL_DRIVER, drivers_directory() + driver.file);
}

void remove_driver_services() {
    UniqueServiceHandle manager = open_manager();
    for (const DriverService &driver : driver_services()) remove_in(manager.get(), driver.service);
}

}  // namespace mgx::testbed
