// The unit's system information (four text entries) and its 506-byte store area.
#include <algorithm>
#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "process_state.h"
#include "unit_command.h"

using namespace mgx::hal;

namespace {

constexpr std::size_t max_entry_write = 25;
constexpr std::size_t max_chunk = 16;
constexpr int max_store_requests = 40;

std::int32_t read_entry(std::uint8_t number, MgxResponse &answer) {
    process_state().extended_retry = 1;
    std::int32_t result = unit_command(UnitCommand::SystemInformation, &number, 1, answer);
    process_state().extended_retry = 0;
    return result;
}

}  // namespace

extern "C" std::int32_t MGXGetSystemInformation(MgxSystemInformation *out) {
    if (!out) return status::bad_argument;
    std::memset(out, 0, sizeof *out);
    for (std::uint8_t number = 0; number < 4; ++number) {
        MgxResponse answer;
        if (std::int32_t result = read_entry(number, answer)) return result;
        if (answer.length < 1) return status::answer_too_short;
        SystemInformationEntry &entry = out->entries[system_information_slot[number]];
        const std::size_t length = std::min<std::size_t>({answer.data[0], answer.length - 1u, sizeof entry.text});
        entry.type = 3;
        entry.length = static_cast<std::uint8_t>(length);
        std::memcpy(entry.text, answer.data + 1, length);
        if (number == 0) {
            entry.length = 2;
            std::memcpy(entry.text, "00", 3);
        } else if (entry.length < 12) {
            std::memset(entry.text + entry.length, '#', 12 - entry.length);
            entry.length = 12;
        }
    }
    std::uint8_t sum = 0;
    for (int number : {1, 3}) {
        const SystemInformationEntry &entry = out->entries[system_information_slot[number]];
        for (std::size_t i = 0; i < entry.length; ++i) sum = static_cast<std::uint8_t>(sum + entry.text[i]);
    }
    out->check_code[0] = static_cast<char>(0x41 + (sum & 0x0F));
    out->check_code[1] = static_cast<char>(0x41 + (sum >> 4));
    return status::ok;
}

// Texts longer than one request holds (25 bytes) are refused before anything is sent.
extern "C" std::int32_t MGXSetSystemInformation(MgxSystemInformation in) {
    for (int number = 1; number < 4; ++number)
        if (in.entries[system_information_slot[number]].length > max_entry_write) return status::bad_argument;
    std::int32_t result = status::ok;
    for (std::uint8_t number = 0; number < 4; ++number) {
        const SystemInformationEntry &entry = in.entries[system_information_slot[number]];
        std::uint8_t data[2 + max_entry_write] = {number};
        std::size_t length = 0;
        if (number == 0) {
            if (entry.length == 0) continue;
            data[1] = 7;
            std::memcpy(data + 2, "VELMORA", 7);  // the manufacturer is always written so
            length = 9;
        } else {
            if (entry.length == 0 && number != 3) continue;
            data[1] = entry.length;
            std::memcpy(data + 2, entry.text, entry.length);
            length = 2u + entry.length;
        }
        MgxResponse answer;
        result = unit_command(UnitCommand::SetSystemInformation, data, length, answer);
        if (result != status::ok) return result;
    }
    MGXSetSystemConfigLastInfo(2);
    return result;
}

extern "C" std::int32_t MGXReadTempForHcx(MgxStoreBlock in, MgxStoreBlock *out) {
    if (!out || in.offset + in.length > store_area_size) return status::bad_argument;
    out->offset = in.offset;
    out->length = 0;
    std::size_t position = in.offset, read = 0;
    for (int request = 0; request < max_store_requests && read < in.length; ++request) {
        const std::uint8_t chunk = static_cast<std::uint8_t>(std::min<std::size_t>(in.length - read, max_chunk));
        const std::uint8_t data[3] = {static_cast<std::uint8_t>(position), static_cast<std::uint8_t>(position >> 8), chunk};
        MgxResponse answer;
        if (std::int32_t result = unit_command(UnitCommand::ReadStore, data, sizeof data, answer)) return result;
        if (answer.length < 1) return status::answer_too_short;
        // Never more than asked for, nor more than the answer holds.
        const std::size_t delivered = std::min<std::size_t>({answer.data[0], answer.length - 1u, in.length - read});
        std::memcpy(out->data + read, answer.data + 1, delivered);
        read += delivered;
        position += delivered;
        out->length = static_cast<std::uint16_t>(read);
    }
    out->offset = in.offset;
    return status::ok;
}

// The unit may take fewer bytes than sent; like the read, at most 40 requests are made.
extern "C" std::int32_t MGXWriteTempForHcx(MgxStoreBlock in, std::uint16_t *written) {
    if (!written || in.offset + in.length > store_area_size) return status::bad_argument;
    const std::size_t end = in.offset + in.length;
    std::size_t position = in.offset;
    for (int request = 0; request < max_store_requests && position < end; ++request) {
        const std::size_t remaining = end - position, chunk = std::min(remaining, max_chunk);
        std::uint8_t data[3 + max_chunk] = {static_cast<std::uint8_t>(position), static_cast<std::uint8_t>(position >> 8),
                                            static_cast<std::uint8_t>(remaining <= max_chunk ? 1 : 0)};
        std::memcpy(data + 3, in.data + position, chunk);
        MgxResponse answer;
        if (std::int32_t result = unit_command(UnitCommand::WriteStore, data, 3 + chunk, answer)) return result;
        if (answer.length < 1) return status::answer_too_short;
        position += std::min<std::size_t>(answer.data[0], chunk);
    }
    *written = static_cast<std::uint16_t>(position - in.offset);
    return status::ok;
}
