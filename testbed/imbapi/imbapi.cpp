// Imbapi.dll: the IMB request library, over the IMB driver's message request.
#include "imbapi.h"

#include <windows.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "device_protocol.h"
#include "win32/unique_handle.h"

namespace {

// The driver handle, opened on first use and kept until the library is unloaded; a failed open
// is tried again on the next request (the driver may have been started since).
std::mutex driver_mutex;
mgx::win32::UniqueHandle driver;

HANDLE driver_handle() {
    std::lock_guard lock(driver_mutex);
    if (!driver)
        driver.reset(CreateFileA("\\\\.\\imbdrv", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return driver.get();
}

}  // namespace

extern "C" int SendTimedImbpRequest(const ImbRequest *request, std::uint32_t timeout, std::uint8_t *response,
                                    int *response_length, std::uint8_t *completion_code) {
    if (!request || !response || !response_length || !completion_code || *response_length < 0) return ImbInvalidArgument;
    if (request->data_length < 0 || request->data_length > 255 || (request->data_length > 0 && !request->data))
        return ImbInvalidArgument;
    HANDLE device = driver_handle();
    if (device == INVALID_HANDLE_VALUE || !device) return ImbDriverUnavailable;

    MgxtbImbMessage header{timeout,
                           request->responder_address,
                           request->network_function,
                           request->responder_lun,
                           request->command,
                           request->bus_type,
                           static_cast<std::uint8_t>(request->data_length)};
    std::vector<std::uint8_t> input(sizeof header + request->data_length);
    std::memcpy(input.data(), &header, sizeof header);
    if (request->data_length) std::memcpy(input.data() + sizeof header, request->data, request->data_length);

    std::uint8_t answer[1 + 256];  // completion code and up to 256 data bytes
    DWORD returned = 0;
    if (!DeviceIoControl(device, MGXTB_IOCTL_IMB_SEND_MESSAGE, input.data(), static_cast<DWORD>(input.size()), answer,
                         sizeof answer, &returned, nullptr) ||
        returned < 1)
        return ImbRequestFailed;
    const int data_length = static_cast<int>(returned) - 1;
    if (data_length > *response_length) {
        *response_length = data_length;
        return ImbResponseTooLong;
    }
    *completion_code = answer[0];
    std::memcpy(response, answer + 1, data_length);
    *response_length = data_length;
    return ImbOk;
}
