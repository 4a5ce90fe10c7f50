// The controller request transport: one IPMI-style request over the path the back-end state
// selects (3 and 4: IMB request library; 6: bmc library; any other: the open device).
#pragma once

#include <cstdint>

#include "mgx_message.h"

namespace mgx::hal {

inline constexpr std::uint8_t unit_responder_address = 0x22;
inline constexpr std::uint8_t default_target = 0x11;

// 0 with the response filled (its completion code may still be non-zero), else 1, 109, 110,
// 111, 114 or a status of the IMB request library. The response is written only on success.
std::int32_t SendMgxRequest(MgxRequest request, MgxResponse *response);
// The same with an explicit device-path target byte; the library paths ignore it.
std::int32_t SendControllerRequest(MgxRequest request, MgxResponse *response, std::uint8_t target);

// The three paths, for the router and for tests.
std::int32_t send_over_imb_api(const MgxRequest &request, MgxResponse &response);
std::int32_t send_over_bmc_library(const MgxRequest &request, MgxResponse &response);
std::int32_t send_over_device(const MgxRequest &request, MgxResponse &response, std::uint8_t target);

// Run-time binding of the request libraries. `directory`, when given, is a writable path
// buffer of `capacity` bytes to which the library's file name is appended.
std::int32_t LoadImbApi(char *directory = nullptr, std::size_t capacity = 0);      // 0, 26 or 27
std::int32_t LoadBmcLibrary(char *directory = nullptr, std::size_t capacity = 0);  // 0, 32 or 33

}  // namespace mgx::hal
