// Requests to the controller from the inventory queries: built from named commands, and sent
// again while the transport fails, up to the attempts a query allows.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "mgx_message.h"

namespace mgx::hal {

struct ControllerCommand {
    std::uint8_t network_function, command;
};

inline constexpr ControllerCommand reserve_repository{0x0A, 0x22}, get_repository_record{0x0A, 0x23},
    get_fru_area_info{0x0A, 0x10}, read_fru_data{0x0A, 0x11}, get_sensor_reading{0x04, 0x2D}, get_chassis_status{0x00, 0x01},
    get_lcd_description{0x06, 0x34}, get_lcd_line{0x06, 0x31};

// The FRU devices and the chassis answer at this target byte.
inline constexpr std::uint8_t inventory_target = 17;

MgxRequest command_request(ControllerCommand command, std::initializer_list<std::uint8_t> data = {});

// SendControllerRequest, tried up to `attempts` times while it fails; the last status.
std::int32_t send_with_attempts(const MgxRequest &request, MgxResponse &response, std::uint8_t target, int attempts);

}  // namespace mgx::hal
