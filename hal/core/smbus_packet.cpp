#include "smbus_packet.h"

#include <algorithm>
#include <cstring>

#include <halcore/status_codes.h>

#include "bounded_text.h"

namespace mgx::hal {

namespace {

SmbPacket base_packet(std::uint8_t target, const char *owner) {
    SmbPacket packet{};
    packet.target = target;
    std::strncpy(packet.owner, owner, sizeof packet.owner - 1);
    return packet;
}

std::uint8_t twos_complement(std::uint32_t sum) { return static_cast<std::uint8_t>(0x100 - (sum & 0xFF)); }

}  // namespace

SmbRequestPackets build_smb_packets(const MgxRequest &request, std::uint8_t target, const char *owner) {
    SmbRequestPackets packets{base_packet(target, owner), base_packet(target, owner), base_packet(target, owner),
                              base_packet(target, owner)};
    packets.lock.timeout_a = 10000;
    packets.lock.timeout_b = 10000;

    const std::size_t data_length = std::min<std::size_t>(request.length, max_request_data);
    SmbPacket &write = packets.write;
    write.operation = 10;
    write.smbus_command = 0xE0;
    write.length = static_cast<std::uint8_t>(data_length + 5);
    write.message[0] = 0x20;
    write.message[1] = 0x00;
    write.message[2] = request.network_function;
    write.message[3] = request.command;
    std::memcpy(write.message + 4, request.data, data_length);
    std::uint32_t sum = 2u * target + 224 + write.length;
    for (std::size_t i = 0; i + 1 < write.length; ++i) sum += write.message[i];
    write.message[write.length - 1] = twos_complement(sum);
    write.timeout_b = 10000;

    packets.read.operation = 11;
    packets.read.smbus_command = 0xE2;
    packets.read.timeout_a = 10000;
    packets.read.timeout_b = 10000;
    return packets;
}

std::int32_t unpack_smb_answer(const SmbPacket &answer, const MgxRequest &request, MgxResponse &response) {
    const std::size_t length = answer.length;
    if (length == 0 || length > sizeof answer.message) return status::answer_checksum_wrong;
    std::uint32_t sum = static_cast<std::uint32_t>(length);
    for (std::size_t i = 0; i + 1 < length; ++i) sum += answer.message[i];
    if (answer.message[length - 1] != twos_complement(sum)) return status::answer_checksum_wrong;

    const std::uint8_t *message = answer.message;
    if (length < 6 || message[0] != 0x20 || message[1] != 0x00 ||
        message[2] != static_cast<std::uint8_t>(request.network_function + 1) || message[3] != request.command)
        return status::transport_failure;
    fill_response(response, message[4], message + 5, length - 6);
    return status::ok;
}

}  // namespace mgx::hal
