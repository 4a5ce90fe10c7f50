// The request and response records of the controller transport; they cross the library
// boundary as they are (command type 24).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

inline constexpr std::size_t max_request_data = 27;
inline constexpr std::size_t max_response_data = 27;

#pragma pack(push, 1)
struct MgxRequest {
    std::uint8_t network_function;  // unshifted: 0x3A unit commands, 0x06 application, 0x0A storage
    std::uint8_t command;
    std::uint8_t length;            // data bytes used, 0 to 27
    std::uint8_t data[max_request_data];
};

struct MgxResponse {
    std::uint8_t completion_code;
    std::uint8_t length;  // at most 27; longer answers are cut
    std::uint8_t data[max_response_data];
};
#pragma pack(pop)

static_assert(sizeof(MgxRequest) == 30 && offsetof(MgxRequest, data) == 3, "MgxRequest layout");
static_assert(sizeof(MgxResponse) == 29 && offsetof(MgxResponse, data) == 2, "MgxResponse layout");

// A request with the given data (more than 27 bytes are cut to 27), unused data bytes 0.
MgxRequest make_request(std::uint8_t network_function, std::uint8_t command, const std::uint8_t *data = nullptr,
                        std::size_t length = 0);

// Fills a response from answer data, cutting it to the record's 27 bytes.
void fill_response(MgxResponse &response, std::uint8_t completion_code, const std::uint8_t *data, std::size_t length);

}  // namespace mgx::hal
