#include "device_client.h"

#include <winternl.h>

namespace mgx::testbed::testing {

win32::UniqueHandle open_device(const char *name) {
    return win32::UniqueHandle(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

IoctlResult ioctl(HANDLE device, DWORD code, const Bytes &input, DWORD output_capacity) {
    IoctlResult result;
    result.output.resize(output_capacity);
    DWORD returned = 0;
    result.ok = DeviceIoControl(device, code, input.empty() ? nullptr : const_cast<std::uint8_t *>(input.data()),
                                static_cast<DWORD>(input.size()), output_capacity ? result.output.data() : nullptr,
                                output_capacity, &returned, nullptr);
    result.error = result.ok ? 0 : GetLastError();
    result.output.resize(result.ok ? returned : 0);
    return result;
}

DWORD win32_error_of(std::int32_t nt_status) { return RtlNtStatusToDosError(static_cast<NTSTATUS>(nt_status)); }

namespace {

bool wait_for(SC_HANDLE service, DWORD state) {
    for (int i = 0; i < 300; ++i) {
        SERVICE_STATUS status;
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == state) return true;
        Sleep(100);  // the service manager offers no blocking wait for a state
    }
    return false;
}

win32::UniqueServiceHandle open_service(const char *name) {
    win32::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return {};
    return win32::UniqueServiceHandle(OpenServiceA(manager.get(), name, SERVICE_ALL_ACCESS));
}

}  // namespace

bool stop_service(const char *name) {
    auto service = open_service(name);
    SERVICE_STATUS status;
    if (!service || !ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        ADD_FAILURE() << "stopping " << name << ": error " << GetLastError();
        return false;
    }
    return wait_for(service.get(), SERVICE_STOPPED);
}

bool start_service(const char *name) {
    auto service = open_service(name);
    if (!service) return false;
    // A service process that reported itself stopped may still be ending; the manager refuses a
    // new start until it has.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (StartServiceA(service.get(), 0, nullptr)) return wait_for(service.get(), SERVICE_RUNNING);
        if (GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) break;
        Sleep(100);
    }
    return false;
}

}  // namespace mgx::testbed::testing
