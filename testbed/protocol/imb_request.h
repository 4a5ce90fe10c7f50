// The request record callers hand to Imbapi.dll's SendTimedImbpRequest, as the library itself
// lays it out: five bytes, the data pointer (the process's pointer width) and the data length,
// without gaps.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
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

static_assert(offsetof(ImbRequest, responder_lun) == 4, "ImbRequest layout");
static_assert(offsetof(ImbRequest, data) == 5, "ImbRequest layout");
static_assert(offsetof(ImbRequest, data_length) == 5 + sizeof(void *), "ImbRequest layout");
static_assert(sizeof(ImbRequest) == 9 + sizeof(void *), "ImbRequest layout");
