#include "device_client.h"

#include <winternl.h>

#include "testbed_services.h"

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

bool stop_service(const char *name) {
    try {
        stop_existing_service(name);
        return true;
    } catch (const std::exception &error) {
        ADD_FAILURE() << error.what();
        return false;
    }
}

bool start_service(const char *name) {
    try {
        start_existing_service(name);
        return true;
    } catch (const std::exception &) {
        return false;  // some tests expect a start to fail
    }
}

}  // namespace mgx::testbed::testing
