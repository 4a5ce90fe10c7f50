// The IMB request library (Imbapi.dll, outside the system) as Halcore relies on it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

#pragma pack(push, 1)
// Fields follow each other without gaps; the data pointer has the process's pointer width
// (4 bytes in a 32-bit build, as the library was first made for; 8 in this 64-bit one).
struct ImbRequest {
    std::uint8_t command;
    std::uint8_t responder_address;
    std::uint8_t bus_type;
    std::uint8_t network_function;
    std::uint8_t responder_lun;
    const std::uint8_t *data;
    std::int32_t data_length;
};
#pragma pack(pop)
static_assert(offsetof(ImbRequest, data) == 5, "ImbRequest layout");
static_assert(offsetof(ImbRequest, data_length) == 5 + sizeof(void *), "ImbRequest layout");
static_assert(sizeof(ImbRequest) == 9 + sizeof(void *), "ImbRequest layout");

// 0 when the exchange worked; then the completion code and the response bytes (without the
// completion code) are filled in and *response_length (in: capacity) holds the bytes stored.
using SendTimedImbpRequestFunction = int (*)(const ImbRequest *request, std::uint32_t timeout, std::uint8_t *response,
                                             int *response_length, std::uint8_t *completion_code);

}  // namespace mgx::hal
