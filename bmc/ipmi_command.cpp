// IPMI_Cmd: the request bytes behind a time-out header, as one device request; no retry here.
#include <algorithm>
#include <cstring>

#include "bmc_driver.h"
#include "bmc_library.h"

using namespace mgx::bmc;

extern "C" std::uint32_t IPMI_Cmd(std::uint8_t *request, std::uint8_t *answer, std::uint32_t *length, std::uint32_t timeout) {
    HANDLE device = driver();
    if (device == INVALID_HANDLE_VALUE) return driver_not_open;
    if (!request || !length) return invalid_parameter;
    // Assembled in a 256-byte buffer: header of 8 bytes, at most 248 data bytes.
    std::uint8_t input[256];
    const std::uint32_t milliseconds = std::min<std::uint32_t>(timeout, 5000) * 1000;
    std::memcpy(input, &milliseconds, 4);
    std::memcpy(input + 4, request, 4);
    const std::size_t data_length = std::min<std::size_t>(request[3], sizeof input - 8);
    input[7] = static_cast<std::uint8_t>(data_length);
    std::memcpy(input + 8, request + 4, data_length);
    DWORD returned = 0;
    if (!DeviceIoControl(device, ioctl_ipmi, input, static_cast<DWORD>(8 + data_length), answer, *length, &returned, nullptr))
        return GetLastError();
    *length = returned;
    return 0;
}
