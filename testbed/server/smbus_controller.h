// The SMBus controller behind "\\.\SMBUS2": the bus lock keyed by owner name, and the write
// and read transfers that carry framed messages to the unit (77-byte packets) and short
// exchanges to the LCD panel controller (48-byte packets to address 0x18).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "device_reply.h"
#include "lcd_panel_controller.h"
#include "unit_port.h"

namespace mgx::testbed {

namespace smbus {
inline constexpr std::size_t packet_size = 77;
inline constexpr std::size_t message_offset = 4;
inline constexpr std::size_t message_capacity = 32;
inline constexpr std::size_t owner_offset = 36;
inline constexpr std::size_t owner_capacity = 32;
inline constexpr std::size_t lock_timeout_offset = 68;
inline constexpr std::size_t return_value_offset = 76;
inline constexpr std::uint8_t unit_address = 0x11;
inline constexpr std::uint8_t operation_write = 10;
inline constexpr std::uint8_t operation_read = 11;
inline constexpr std::uint8_t write_command = 0xE0;
inline constexpr std::uint8_t read_command = 0xE2;
inline constexpr std::int64_t default_lock_timeout_ms = 10000;

}  // namespace smbus

class SmbusController {
public:
    DeviceReply handle(std::uint32_t code, const Bytes &input, std::uint32_t output_capacity, UnitPort &unit);
    void reset(const std::optional<LcdPanelProfile> &panel);
    nlohmann::json to_json(std::int64_t now_ms) const;
    LcdPanelController &panel() { return panel_; }

private:
    struct Lock {
        std::string owner;
        std::int64_t expires_ms;
    };

    bool held_by_other(const std::string &owner, std::int64_t now_ms) const;
    DeviceReply lock(const Bytes &packet, const std::string &owner, UnitPort &unit);
    DeviceReply unlock(const Bytes &packet, const std::string &owner, UnitPort &unit);
    DeviceReply write(const Bytes &packet, const std::string &owner, UnitPort &unit);
    DeviceReply read(const Bytes &packet, const std::string &owner, UnitPort &unit);

    std::optional<Lock> lock_;
    struct Pending {
        IpmiRequest request;
        IpmiAnswer answer;
    };
    std::map<std::string, Pending> pending_;  // the answer each owner may read next
    LcdPanelController panel_;
};

}  // namespace mgx::testbed
