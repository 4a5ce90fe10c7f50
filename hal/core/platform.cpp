#include "platform.h"

namespace mgx::hal {

namespace {

BOOL system_device_io_control(HANDLE device, DWORD code, void *input, DWORD input_length, void *output, DWORD output_capacity,
                              DWORD *returned) {
    return DeviceIoControl(device, code, input, input_length, output, output_capacity, returned, nullptr);
}

DWORD system_tick_count() { return GetTickCount(); }

}  // namespace

Platform system_platform() { return {&::Sleep, &system_device_io_control, &system_tick_count}; }

Platform &platform() {
    static Platform current = system_platform();
    return current;
}

}  // namespace mgx::hal
