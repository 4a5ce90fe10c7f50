#include "lcd_panel_controller.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "bus_checksum.h"
#include "control_protocol.h"
#include "json_numbers.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace key = control::key;

using namespace lcd;

namespace {

std::string command_text(const char *what, std::uint8_t command) {
    char text[48];
    std::snprintf(text, sizeof text, "LCD %s 0x%02X", what, command);
    return text;
}

FaultSite site(std::uint8_t command) { return {DeviceKind::Smbus, std::nullopt, command, device_address}; }

}  // namespace

bool lcd::addressed(const Bytes &packet) { return packet.size() == packet_size && packet[0] == device_address; }

void LcdPanelController::reset(const std::optional<LcdPanelProfile> &profile) {
    profile_ = profile;
    write_counter_ = 0;
    last_error_ = 0;
    node_ = unit_ = 0;
    page_ = {0x00, 0x00};
}

DeviceReply LcdPanelController::handle(const Bytes &packet, std::uint32_t output_capacity, FaultPlan &faults) {
    if (!profile_) return DeviceReply::failure(nt::io_device_error, "no device at address 0x18");
    switch (packet[1]) {
    case operation_write: return write(packet, faults);
    case operation_read: return read(packet, output_capacity, faults);
    }
    return DeviceReply::failure(nt::invalid_parameter, "LCD packet is neither write (0x0A) nor read (0x0B)");
}

DeviceReply LcdPanelController::write(const Bytes &packet, FaultPlan &faults) {
    const std::uint8_t command = packet[2], count = packet[3];
    if (count < 1 || 3u + count >= packet_size) return DeviceReply::failure(nt::io_device_error, "LCD write count out of range");
    std::uint32_t sum = 2u * device_address + command + count;
    for (std::size_t at = 4; at < 3u + count; ++at) sum += packet[at];
    if (packet[3 + count] != smbus::complement(sum)) return DeviceReply::failure(nt::io_device_error, "LCD write checksum wrong");
    if (faults.take(FaultKind::FailWrite, site(command)))
        return DeviceReply::failure(nt::io_device_error, "injected write failure");

    std::string note = command_text("write", command);
    if (auto refusal = faults.take(FaultKind::CompletionCode, site(command))) {
        last_error_ = refusal->code;
        note += "; injected error code";
    } else {
        last_error_ = carry_out(command, &packet[4], count - 1u);
    }
    if (faults.take(FaultKind::CounterStuck, site(command)))
        note += "; injected: not counted";
    else
        ++write_counter_;  // 0xFFFF wraps to 0, as a 16-bit counter does
    if (last_error_) note += "; error " + std::to_string(last_error_);
    DeviceReply reply;
    reply.note = note;
    return reply;
}

std::uint8_t LcdPanelController::carry_out(std::uint8_t command, const std::uint8_t *data, std::size_t count) {
    const auto &nodes = profile_->rci_nodes;
    switch (command) {
    case select_rci_node:
        if (count != 1) return error_unknown_write;
        if (data[0] < 1 || data[0] > nodes.size()) return error_no_such_node;
        node_ = data[0];
        unit_ = 0;
        return 0;
    case select_rci_unit:
        if (count != 2) return error_unknown_write;
        if (data[0] < 1 || data[0] > nodes.size()) return error_no_such_node;
        if (data[1] < 1 || data[1] > nodes[data[0] - 1u].units.size()) return error_no_such_unit;
        node_ = data[0];
        unit_ = data[1];
        return 0;
    case select_display_page:
        if (count != 2) return error_unknown_write;
        page_ = {data[0], data[1]};
        return 0;
    }
    return error_unknown_write;
}

std::optional<Bytes> LcdPanelController::answer_data(std::uint8_t command) const {
    const LcdPanelProfile &panel = *profile_;
    switch (command) {
    case device_information: return panel.device_info;
    case management_log: return panel.management_log;
    case status:
        return Bytes{static_cast<std::uint8_t>(write_counter_), static_cast<std::uint8_t>(write_counter_ >> 8), 0x00,
                     last_error_};
    case rci_node_count: return Bytes{static_cast<std::uint8_t>(panel.rci_nodes.size())};
    case rci_device_information:
        if (node_ == 0) return std::nullopt;
        return panel.rci_nodes[node_ - 1u].device_info;
    case rci_unit_information:
        if (node_ == 0 || unit_ == 0) return std::nullopt;
        return panel.rci_nodes[node_ - 1u].units[unit_ - 1u];
    case display_text: {
        Bytes data{page_[0], page_[1]};
        auto page = panel.pages.find(static_cast<std::uint16_t>(page_[0] << 8 | page_[1]));
        std::string text = page == panel.pages.end() ? std::string() : page->second;
        text.resize(lcd_page_width, ' ');
        data.insert(data.end(), text.begin(), text.end());
        return data;
    }
    }
    return std::nullopt;
}

DeviceReply LcdPanelController::read(const Bytes &packet, std::uint32_t output_capacity, FaultPlan &faults) {
    const std::uint8_t command = packet[2];
    if (output_capacity < packet_size) return DeviceReply::failure(nt::invalid_parameter, "an LCD read answers 48 bytes");
    if (faults.take(FaultKind::FailRead, site(command)))
        return DeviceReply::failure(nt::io_device_error, "injected read failure");

    std::string note = command_text("read", command);
    std::optional<Bytes> data = answer_data(command);
    std::uint8_t status_byte = data ? status_done : status_refused;
    if (!data) {
        data.emplace();
        note += "; refused";
    }
    std::uint8_t echoed = command;
    if (faults.take(FaultKind::BadStatus, site(command))) {
        status_byte = status_refused;
        note += "; injected status 0x31";
    }
    if (faults.take(FaultKind::BadHeader, site(command))) {
        echoed = static_cast<std::uint8_t>(command + 1);
        note += "; injected wrong command echo";
    }
    if (faults.take(FaultKind::ShortAnswer, site(command)) && !data->empty()) {
        data->pop_back();
        note += "; injected short answer";
    }

    DeviceReply reply;
    reply.output.assign(packet_size, 0);
    Bytes &out = reply.output;
    const auto count = static_cast<std::uint8_t>(data->size() + 3);
    out[3] = count;
    out[4] = status_byte;
    out[5] = echoed;
    std::copy(data->begin(), data->end(), out.begin() + 6);
    std::uint32_t sum = count;
    for (std::size_t at = 4; at < 3u + count; ++at) sum += out[at];
    out[3 + count] = smbus::complement(sum);
    if (faults.take(FaultKind::BadChecksum, site(command))) {
        ++out[3 + count];
        note += "; injected bad checksum";
    }
    reply.note = note;
    return reply;
}

void LcdPanelController::update(const nlohmann::json &fields) {
    if (!profile_) throw std::runtime_error("this machine has no LCD panel controller");
    if (!fields.is_object()) throw std::runtime_error("LCD panel fields must be an object");
    std::optional<std::uint16_t> counter;
    if (fields.contains(key::write_counter)) {
        const std::optional<std::uint64_t> value = whole_number(fields[key::write_counter]);
        if (!value || *value > 0xFFFF) throw std::runtime_error("\"write_counter\" must be 0 to 65535");
        counter = static_cast<std::uint16_t>(*value);
    }
    const auto pages = fields.contains(key::pages) ? parse_lcd_pages(fields[key::pages]) : std::map<std::uint16_t, std::string>{};
    if (counter) write_counter_ = *counter;
    for (const auto &[selector, text] : pages) profile_->pages[selector] = text;
}

nlohmann::json LcdPanelController::to_json() const {
    if (!profile_) return nullptr;
    nlohmann::json pages = nlohmann::json::object();
    for (const auto &[selector, text] : profile_->pages)
        pages[text::to_hex(Bytes{static_cast<std::uint8_t>(selector >> 8), static_cast<std::uint8_t>(selector)})] = text;
    return {{key::write_counter, write_counter_},
            {key::last_error, last_error_},
            {key::rci_nodes, profile_->rci_nodes.size()},
            {key::selected_node, node_},
            {key::selected_unit, unit_},
            {key::selected_page, text::to_hex(Bytes(page_.begin(), page_.end()))},
            {key::pages, pages}};
}

}  // namespace mgx::testbed
