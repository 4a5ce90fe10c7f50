// Builds driver inputs the way clients frame them: SMBus packets for "\\.\SMBUS2" and IPMI
// messages for "\\.\BMC".
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace mgx::testbed::testing {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes &packet, std::size_t offset, std::uint32_t value) { std::memcpy(&packet[offset], &value, 4); }

inline Bytes base_packet(const std::string &owner, std::uint8_t target = 0x11) {
    Bytes packet(77, 0);
    packet[0] = target;
    std::memcpy(&packet[36], owner.data(), std::min<std::size_t>(owner.size(), 32));
    return packet;
}

inline Bytes lock_packet(const std::string &owner, std::uint32_t timeout_ms = 10000) {
    Bytes packet = base_packet(owner);
    put32(packet, 68, timeout_ms);
    put32(packet, 72, 10000);
    return packet;
}

inline Bytes unlock_packet(const std::string &owner) { return base_packet(owner); }

inline Bytes write_packet(const std::string &owner, std::uint8_t netfn, std::uint8_t command, const Bytes &data = {},
                          std::uint8_t target = 0x11) {
    Bytes packet = base_packet(owner, target);
    packet[1] = 10;
    packet[2] = 0xE0;
    const std::uint8_t length = static_cast<std::uint8_t>(data.size() + 5);
    packet[3] = length;
    Bytes message = {0x20, 0x00, netfn, command};
    message.insert(message.end(), data.begin(), data.end());
    std::uint32_t sum = 2u * target + 0xE0 + length;
    for (std::uint8_t byte : message) sum += byte;
    message.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF)));
    std::copy(message.begin(), message.end(), packet.begin() + 4);
    put32(packet, 72, 10000);
    return packet;
}

inline Bytes read_packet(const std::string &owner) {
    Bytes packet = base_packet(owner);
    packet[1] = 11;
    packet[2] = 0xE2;
    put32(packet, 68, 10000);
    put32(packet, 72, 10000);
    return packet;
}

// The answer message of a read packet: bytes 4 .. 4 + c - 1.
inline Bytes answer_message(const Bytes &packet) { return Bytes(packet.begin() + 4, packet.begin() + 4 + packet[3]); }

// True when the answer's last byte is the two's complement of c plus the bytes before it.
inline bool answer_checksum_ok(const Bytes &message) {
    std::uint32_t sum = static_cast<std::uint32_t>(message.size());
    for (std::size_t i = 0; i + 1 < message.size(); ++i) sum += message[i];
    return message.back() == static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

// The BMC driver's message input: time-out, responder 0x22, command, network function << 2, length, data.
inline Bytes bmc_message(std::uint32_t timeout, std::uint8_t netfn, std::uint8_t command, const Bytes &data = {}) {
    Bytes input(8 + data.size());
    std::memcpy(input.data(), &timeout, 4);
    input[4] = 0x22;
    input[5] = command;
    input[6] = static_cast<std::uint8_t>(netfn << 2);
    input[7] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), input.begin() + 8);
    return input;
}

}  // namespace mgx::testbed::testing
