// Imbapi.dll's request entry point, as its callers see it.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
// One request; fields follow each other without gaps. The data pointer has the platform's
// pointer width (4 bytes in a 32-bit process, 8 in a 64-bit one).
struct ImbRequest {
    std::uint8_t command;
    std::uint8_t responder_address;
    std::uint8_t bus_type;
    std::uint8_t network_function;  // unshifted
    std::uint8_t responder_lun;
    const std::uint8_t *data;
    std::int32_t data_length;
};
#pragma pack(pop)
static_assert(offsetof(ImbRequest, data) == 5, "request layout");
static_assert(offsetof(ImbRequest, data_length) == 5 + sizeof(void *), "request layout");
static_assert(sizeof(ImbRequest) == 9 + sizeof(void *), "request layout");

// Results of SendTimedImbpRequest.
enum ImbStatus : int {
    ImbOk = 0,
    ImbInvalidArgument = 1,    // NULL pointer, data length outside 0..255
    ImbDriverUnavailable = 2,  // "\\.\imbdrv" cannot be opened
    ImbRequestFailed = 3,      // the driver failed the request (no answer from the unit)
    ImbResponseTooLong = 4,    // the answer data does not fit; *response_length gives its size
};

// Sends the request and waits at most `timeout` (passed to the driver) for the answer. On ImbOk
// the answer data (without completion code) is in `response`, its size in *response_length
// (in: the buffer's capacity) and the completion code in *completion_code.
extern "C" int SendTimedImbpRequest(const ImbRequest *request, std::uint32_t timeout, std::uint8_t *response,
                                    int *response_length, std::uint8_t *completion_code);
