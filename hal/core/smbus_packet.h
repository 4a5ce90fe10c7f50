// The 77-byte packet exchanged with the SMBus driver, and the four packets of one request.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mgx_message.h"

namespace mgx::hal {

inline constexpr std::uint32_t ioctl_smbus_transfer = 0x80102004;
inline constexpr std::uint32_t ioctl_smbus_lock = 0x80102020;
inline constexpr std::uint32_t ioctl_smbus_unlock = 0x80102024;

#pragma pack(push, 1)
struct SmbPacket {
    std::uint8_t target;
    std::uint8_t operation;      // 10 write, 11 read, 0 lock and unlock
    std::uint8_t smbus_command;  // 0xE0 write, 0xE2 read
    std::uint8_t length;         // message length c
    std::uint8_t message[32];
    char owner[32];
    std::uint32_t timeout_a;
    std::uint32_t timeout_b;
    std::uint8_t driver_return;  // set by the driver
};
#pragma pack(pop)
static_assert(sizeof(SmbPacket) == 77, "SmbPacket layout");
static_assert(offsetof(SmbPacket, message) == 4 && offsetof(SmbPacket, owner) == 36, "SmbPacket layout");
static_assert(offsetof(SmbPacket, timeout_a) == 68 && offsetof(SmbPacket, timeout_b) == 72, "SmbPacket layout");
static_assert(offsetof(SmbPacket, driver_return) == 76, "SmbPacket layout");

struct SmbRequestPackets {
    SmbPacket lock, write, read, unlock;
};

// The lock, write, read and unlock packets of one request, the write message with its checksum.
SmbRequestPackets build_smb_packets(const MgxRequest &request, std::uint8_t target, const char *owner);

// Checks the answer's framing and checksum and unpacks it: 0, 111 (checksum, or a length that
// does not fit the packet) or 1 (header not the answer to this request).
std::int32_t unpack_smb_answer(const SmbPacket &answer, const MgxRequest &request, MgxResponse &response);

}  // namespace mgx::hal
