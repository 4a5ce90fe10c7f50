#include "smbus_controller.h"

#include <algorithm>
#include <cstring>

#include "bus_checksum.h"
#include "control_protocol.h"
#include "device_protocol.h"

namespace mgx::testbed {

namespace key = control::key;

using namespace smbus;

namespace {

std::string owner_of(const Bytes &packet) {
    const char *start = reinterpret_cast<const char *>(&packet[owner_offset]);
    return std::string(start, strnlen(start, owner_capacity));
}

std::uint32_t le32(const Bytes &packet, std::size_t offset) {
    std::uint32_t value;
    std::memcpy(&value, &packet[offset], sizeof value);
    return value;
}

// The packet handed back: the caller's packet with a driver return value of 0.
void acknowledge(DeviceReply &reply, const Bytes &packet) {
    reply.output = packet;
    reply.output[return_value_offset] = 0;
}

DeviceReply acknowledged(const Bytes &packet, std::string note) {
    DeviceReply reply;
    reply.note = std::move(note);
    acknowledge(reply, packet);
    return reply;
}

// Answer message with its checksum; the network function byte is normally request + 1.
Bytes frame_answer(const IpmiRequest &request, const IpmiAnswer &answer, std::uint8_t network_function) {
    Bytes data = answer.data;
    data.resize(std::min(data.size(), message_capacity - 6));
    Bytes message = {0x20, 0x00, network_function, request.command, answer.completion_code};
    message.insert(message.end(), data.begin(), data.end());
    std::uint32_t sum = static_cast<std::uint32_t>(message.size() + 1);
    for (std::uint8_t byte : message) sum += byte;
    message.push_back(complement(sum));
    return message;
}

}  // namespace

void SmbusController::reset(const std::optional<LcdPanelProfile> &panel) {
    lock_.reset();
    pending_.clear();
    panel_.reset(panel);
}

nlohmann::json SmbusController::to_json(std::int64_t now_ms) const {
    if (!lock_ || lock_->expires_ms <= now_ms) return {{key::lock, nullptr}};
    return {{key::lock, {{key::owner, lock_->owner}, {key::expires_in_ms, lock_->expires_ms - now_ms}}}};
}

bool SmbusController::held_by_other(const std::string &owner, std::int64_t now_ms) const {
    return lock_ && lock_->owner != owner && lock_->expires_ms > now_ms;
}

DeviceReply SmbusController::handle(std::uint32_t code, const Bytes &input, std::uint32_t output_capacity, UnitPort &unit) {
    // The panel controller's exchanges take no bus lock; their size and address tell them apart.
    if (code == MGXTB_IOCTL_SMBUS_TRANSFER && lcd::addressed(input)) return panel_.handle(input, output_capacity, unit.faults());
    if (input.size() != packet_size || output_capacity < packet_size)
        return DeviceReply::failure(nt::invalid_parameter,
                                    "SMBus packets to the unit are 77 bytes each way, to the LCD panel controller (0x18) 48");
    const std::string owner = owner_of(input);
    switch (code) {
    case MGXTB_IOCTL_SMBUS_LOCK: return lock(input, owner, unit);
    case MGXTB_IOCTL_SMBUS_UNLOCK: return unlock(input, owner, unit);
    case MGXTB_IOCTL_SMBUS_TRANSFER:
        if (input[1] == operation_write) return write(input, owner, unit);
        if (input[1] == operation_read) return read(input, owner, unit);
        return DeviceReply::failure(nt::invalid_parameter, "transfer is neither write (10) nor read (11)");
    default: return DeviceReply::failure(nt::invalid_device_request, "unknown SMBus request code");
    }
}

DeviceReply SmbusController::lock(const Bytes &packet, const std::string &owner, UnitPort &unit) {
    const std::int64_t now = unit.now_ms();
    if (unit.faults().take(FaultKind::RefuseLock, {DeviceKind::Smbus, {}, {}}))
        return DeviceReply::failure(nt::lock_not_granted, "injected lock refusal");
    if (held_by_other(owner, now)) return DeviceReply::failure(nt::lock_not_granted, "bus locked by " + lock_->owner);
    std::int64_t timeout = le32(packet, lock_timeout_offset);
    if (timeout == 0) timeout = default_lock_timeout_ms;
    lock_ = Lock{owner, now + timeout};
    return acknowledged(packet, "locked by " + owner);
}

DeviceReply SmbusController::unlock(const Bytes &packet, const std::string &owner, UnitPort &unit) {
    if (held_by_other(owner, unit.now_ms())) return DeviceReply::failure(nt::lock_not_granted, "bus locked by " + lock_->owner);
    lock_.reset();
    return acknowledged(packet, "unlocked");
}

DeviceReply SmbusController::write(const Bytes &packet, const std::string &owner, UnitPort &unit) {
    if (held_by_other(owner, unit.now_ms())) return DeviceReply::failure(nt::lock_not_granted, "bus locked by " + lock_->owner);
    const std::uint8_t target = packet[0], length = packet[3];
    if (packet[2] != write_command) return DeviceReply::failure(nt::io_device_error, "write command byte is not 0xE0");
    if (length < 5 || length > message_capacity) return DeviceReply::failure(nt::io_device_error, "message length out of range");
    const std::uint8_t *message = &packet[message_offset];
    std::uint32_t sum = 2u * target + write_command + length;
    for (std::size_t i = 0; i + 1 < length; ++i) sum += message[i];
    if (message[length - 1] != complement(sum)) return DeviceReply::failure(nt::io_device_error, "request checksum wrong");
    if (!unit.answers_at(target)) return DeviceReply::failure(nt::io_device_error, "no device at this address");

    IpmiRequest request{message[2], message[3], Bytes(message + 4, message + length - 1), target};
    DeviceReply reply;
    reply.request = request;
    if (unit.faults().take(FaultKind::FailWrite, site_of(DeviceKind::Smbus, request))) {
        reply.status = nt::io_device_error;
        reply.note = "injected write failure";
        return reply;
    }
    auto answer = unit.exchange(DeviceKind::Smbus, request, reply.note);
    if (!answer) {
        reply.status = nt::io_timeout;
        return reply;
    }
    reply.answer = answer;
    reply.note += "written";
    pending_[owner] = Pending{request, *answer};
    acknowledge(reply, packet);
    return reply;
}

DeviceReply SmbusController::read(const Bytes &packet, const std::string &owner, UnitPort &unit) {
    if (held_by_other(owner, unit.now_ms())) return DeviceReply::failure(nt::lock_not_granted, "bus locked by " + lock_->owner);
    if (packet[2] != read_command) return DeviceReply::failure(nt::io_device_error, "read command byte is not 0xE2");
    auto pending = pending_.find(owner);
    if (pending == pending_.end()) return DeviceReply::failure(nt::io_device_error, "nothing to read: no answer pending");
    const FaultSite site = site_of(DeviceKind::Smbus, pending->second.request);
    if (unit.faults().take(FaultKind::FailRead, site)) return DeviceReply::failure(nt::io_device_error, "injected read failure");

    std::string note = "read";
    std::uint8_t network_function = static_cast<std::uint8_t>(pending->second.request.network_function + 1);
    if (unit.faults().take(FaultKind::BadHeader, site)) {
        ++network_function;
        note += "; injected wrong header";
    }
    Bytes message = frame_answer(pending->second.request, pending->second.answer, network_function);
    pending_.erase(pending);
    if (unit.faults().take(FaultKind::BadChecksum, site)) {
        message.back() = static_cast<std::uint8_t>(message.back() + 1);
        note += "; injected bad checksum";
    }
    DeviceReply reply = acknowledged(packet, note);
    reply.output[3] = static_cast<std::uint8_t>(message.size());
    std::copy(message.begin(), message.end(), reply.output.begin() + message_offset);
    return reply;
}

}  // namespace mgx::testbed
