// Imbapi.dll's request entry point and its statuses.
#pragma once

#include <cstdint>

#include "imb_request.h"

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
