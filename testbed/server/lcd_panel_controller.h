// The LCD panel controller at SMBus device address 0x18, with the RCI device chain behind it.
// It speaks 48-byte packets: writes whose checksum it checks and counts, and reads it answers
// with a status byte, the echoed command, data and a checksum. Its answers' data are the
// profile's bytes; the controller gives them no meaning of its own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "device_reply.h"
#include "fault_plan.h"
#include "profile.h"

namespace mgx::testbed {

namespace lcd {
inline constexpr std::size_t packet_size = 48;
inline constexpr std::uint8_t device_address = 0x18;
inline constexpr std::uint8_t operation_write = 0x0A;
inline constexpr std::uint8_t operation_read = 0x0B;
inline constexpr std::uint8_t status_done = 0x30;
inline constexpr std::uint8_t status_refused = 0x31;

// Read commands.
inline constexpr std::uint8_t device_information = 0xC0;
inline constexpr std::uint8_t management_log = 0xC6;
inline constexpr std::uint8_t status = 0xCE;
inline constexpr std::uint8_t rci_node_count = 0xD0;
inline constexpr std::uint8_t rci_device_information = 0xD2;
inline constexpr std::uint8_t rci_unit_information = 0xD4;
inline constexpr std::uint8_t display_text = 0xDF;
// Write commands.
inline constexpr std::uint8_t select_rci_node = 0xD1;
inline constexpr std::uint8_t select_rci_unit = 0xD3;
inline constexpr std::uint8_t select_display_page = 0xDE;

// The last error a write leaves in the status answer.
inline constexpr std::uint8_t error_unknown_write = 0x01;
inline constexpr std::uint8_t error_no_such_node = 0x02;
inline constexpr std::uint8_t error_no_such_unit = 0x03;

// True for a request meant for this controller: 48 bytes addressed to 0x18.
bool addressed(const Bytes &packet);
}  // namespace lcd

class LcdPanelController {
public:
    // A machine without the controller: every request finds no device (a NAK).
    void reset(const std::optional<LcdPanelProfile> &profile);
    DeviceReply handle(const Bytes &packet, std::uint32_t output_capacity, FaultPlan &faults);

    // Control: {"write_counter": N, "pages": {"00 10": "TEXT", ...}} (pages given replace those
    // of the same selector).
    void update(const nlohmann::json &fields);
    nlohmann::json to_json() const;

private:
    DeviceReply write(const Bytes &packet, FaultPlan &faults);
    DeviceReply read(const Bytes &packet, std::uint32_t output_capacity, FaultPlan &faults);
    std::uint8_t carry_out(std::uint8_t command, const std::uint8_t *data, std::size_t count);
    // The data a read command answers with; nullopt when the controller refuses it.
    std::optional<Bytes> answer_data(std::uint8_t command) const;

    std::optional<LcdPanelProfile> profile_;
    std::uint16_t write_counter_ = 0;
    std::uint8_t last_error_ = 0;
    std::uint8_t node_ = 0, unit_ = 0;  // selected by the last good 0xD1 or 0xD3 write; 0: none
    std::array<std::uint8_t, 2> page_{0x00, 0x00};
};

}  // namespace mgx::testbed
