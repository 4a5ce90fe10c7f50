// The per-family back-end starts and stops that HCXInitImbSmbDll and HCXFreeImbSmbDll run.
#pragma once

#include <cstdint>

namespace mgx::hal {

std::int32_t start_imb_back_end();
std::int32_t stop_imb_back_end();
std::int32_t start_bmc_back_end();
std::int32_t stop_bmc_back_end();
std::int32_t start_smbus_back_end(const char *device_name);
std::int32_t stop_smbus_back_end();

}  // namespace mgx::hal
