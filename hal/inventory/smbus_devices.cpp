// The LCD panel controller and the RCI device chain on the SMBus: short 48-byte write and read
// exchanges with the device at address 0x18, over the SMBus back end's open device.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "platform.h"
#include "process_state.h"

using namespace mgx::hal;

namespace {

constexpr std::size_t packet_size = 48;
using Packet = std::array<std::uint8_t, packet_size>;

constexpr DWORD smbus_transfer = 0x80102004;
constexpr std::uint8_t device_address = 0x18, operation_write = 0x0A, operation_read = 0x0B;
constexpr std::uint8_t answer_success = 0x30;
constexpr std::uint8_t read_status = 0xCE;

Packet request(std::uint8_t operation, std::uint8_t command) {
    Packet packet{};
    packet[0] = device_address;
    packet[1] = operation;
    packet[2] = command;
    return packet;
}

bool transfer(void *input, DWORD input_length, void *output, DWORD output_capacity) {
    DWORD returned = 0;
    if (platform().device_io_control(process_state().device, smbus_transfer, input, input_length, output, output_capacity,
                                     &returned))
        return true;
    GetLastError();  // read and dropped
    return false;
}

// One read: 0, 109 when the request fails, 104 for an answer whose checksum, status byte or
// echoed command is wrong (or whose count does not fit the packet).
std::int32_t smbus_read(std::uint8_t command, std::uint8_t *answer) {
    Packet packet = request(operation_read, command);
    if (!transfer(packet.data(), packet_size, answer, packet_size)) return status::send_receive_failed;
    const std::uint8_t count = answer[3];
    if (count < 2 || 3u + count >= packet_size) return status::smb_answer_wrong;
    std::uint8_t sum = count;
    for (std::size_t at = 4; at < 3u + count; ++at) sum = static_cast<std::uint8_t>(sum + answer[at]);
    if (static_cast<std::uint8_t>(-sum) != answer[3 + count]) return status::smb_answer_wrong;
    if (answer[4] != answer_success || answer[5] != command) return status::smb_answer_wrong;
    return status::ok;
}

// The status read (write counter, last error), sent with one buffer as input and output; false
// when the request fails.
bool read_status_packet(Packet &status_packet) {
    status_packet = request(operation_read, read_status);
    return transfer(status_packet.data(), packet_size, status_packet.data(), packet_size);
}

std::uint16_t write_counter(const Packet &status_packet) {
    return static_cast<std::uint16_t>(status_packet[6] | status_packet[7] << 8);
}

// A write the device counts: the status before and after must show exactly one more write.
std::int32_t smbus_counted_write(std::uint8_t command, std::initializer_list<std::uint8_t> data) {
    Packet status_packet;
    if (!read_status_packet(status_packet)) return status::smb_status_read_failed;
    const std::uint16_t before = write_counter(status_packet);
    Packet packet = request(operation_write, command);
    const std::uint8_t count = static_cast<std::uint8_t>(data.size() + 1);
    packet[3] = count;
    std::copy(data.begin(), data.end(), packet.begin() + 4);
    std::uint8_t sum = static_cast<std::uint8_t>(2 * device_address + command + count);
    for (std::uint8_t byte : data) sum = static_cast<std::uint8_t>(sum + byte);
    packet[3 + count] = static_cast<std::uint8_t>(-sum);
    if (!transfer(packet.data(), packet_size, nullptr, 0)) return status::send_receive_failed;
    if (!read_status_packet(status_packet)) return status::smb_status_read_failed;
    if (status_packet[9] != 0) return status_packet[9];
    // Without wrap-around: a counter going from 0xFFFF to 0 has not advanced by one.
    if (static_cast<int>(write_counter(status_packet)) - static_cast<int>(before) - 1 != 0) return status::smb_write_not_counted;
    return status::ok;
}

std::int32_t read_into(std::uint8_t command, std::uint8_t *out) {
    if (!process_state().device) return status::interface_unavailable;
    if (!out) return status::bad_argument;
    return smbus_read(command, out);
}

// A counted write naming what to read, then the read; the buffer is cleared between the two.
std::int32_t write_then_read(std::uint8_t write_command, std::initializer_list<std::uint8_t> data, std::uint8_t read_command,
                             std::uint8_t *out) {
    if (!process_state().device) return status::interface_unavailable;
    if (!out) return status::bad_argument;
    if (std::int32_t written = smbus_counted_write(write_command, data)) return written;
    std::memset(out, 0, packet_size);
    return smbus_read(read_command, out);
}

// The second half of a selector's text: the selector bytes that address it.
std::array<std::uint8_t, 2> second_half(std::uint8_t selector) {
    switch (selector) {
    case 0x10: return {0x11, 0x00};
    case 0x11: return {0x21, 0x00};
    default: return {selector, 0x10};
    }
}

}  // namespace

extern "C" {

std::int32_t HCXGetSmbLcdDevInfo(std::uint8_t *out) { return read_into(0xC0, out); }
std::int32_t HCXGetSmbLcdMgmtLogInfo(std::uint8_t *out) { return read_into(0xC6, out); }
std::int32_t HCXGetSmbRCINumNode(std::uint8_t *out) { return read_into(0xD0, out); }

std::int32_t HCXGetSmbRciDevInfo(std::int32_t node, std::uint8_t *out) {
    return write_then_read(0xD1, {static_cast<std::uint8_t>(node)}, 0xD2, out);
}

std::int32_t HCXGetSmbRciDevUnitInfo(std::int32_t node, std::int32_t unit, std::uint8_t *out) {
    return write_then_read(0xD3, {static_cast<std::uint8_t>(node), static_cast<std::uint8_t>(unit)}, 0xD4, out);
}

std::int32_t HCXGetSmbLcdDisp(char *text) {
    if (!process_state().device) return status::interface_unavailable;
    if (!text) return status::bad_argument;
    constexpr std::size_t half = 16, text_start = 8;
    for (std::uint8_t selector : {0x00, 0x01, 0x10, 0x11}) {
        const std::array<std::uint8_t, 2> halves[2] = {{selector, 0x00}, second_half(selector)};
        for (int part = 0; part < 2; ++part) {
            if (std::int32_t written = smbus_counted_write(0xDE, {halves[part][0], halves[part][1]})) return written;
            Packet answer{};
            if (std::int32_t read = smbus_read(0xDF, answer.data())) return read;
            std::memcpy(text + part * half, answer.data() + text_start, half);
        }
        if (std::any_of(text, text + 2 * half, [](char character) { return character != ' '; })) return status::ok;
    }
    return status::ok;
}
}
