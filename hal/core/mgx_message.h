// Building the transport's request and response records.
#pragma once

#include <cstddef>
#include <cstdint>

#include <halcore/command_records.h>

namespace mgx::hal {

// A request with the given data (more than 27 bytes are cut to 27), unused data bytes 0.
MgxRequest make_request(std::uint8_t network_function, std::uint8_t command, const std::uint8_t *data = nullptr,
                        std::size_t length = 0);

// Fills a response from answer data, cutting it to the record's 27 bytes.
void fill_response(MgxResponse &response, std::uint8_t completion_code, const std::uint8_t *data, std::size_t length);

}  // namespace mgx::hal
