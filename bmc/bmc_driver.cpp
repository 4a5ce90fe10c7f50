#include "bmc_driver.h"

namespace mgx::bmc {

namespace {
HANDLE handle = INVALID_HANDLE_VALUE;
}  // namespace

HANDLE driver() { return handle; }

void open_driver() {
    handle = CreateFileA("\\\\.\\BMC", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

void close_driver() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

}  // namespace mgx::bmc
