// The control side's section for the unit's event log: records as the unit keeps them, each
// carrying its own record ID in its first two bytes.
#include <stdexcept>

#include "control_protocol.h"
#include "control_side.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace key = control::key;

namespace {

void set_record_id(std::vector<std::uint8_t> &record, std::size_t id) {
    record[0] = static_cast<std::uint8_t>(id);
    record[1] = static_cast<std::uint8_t>(id >> 8);
}

}  // namespace

nlohmann::json ControlSide::event_log_entry(std::uint16_t record_id) {
    VirtualServer::Hold hold(server_);
    ++hold.machine().event_log_reads;
    const auto &records = hold.machine().unit.memory.event_log;
    const std::size_t position = record_id == 0 ? 0 : record_id - 1u;
    if (position >= records.size()) return {{key::found, false}};
    const std::uint16_t next = position + 1 < records.size() ? static_cast<std::uint16_t>(position + 2) : 0xFFFF;
    std::vector<std::uint8_t> record = records[position];
    set_record_id(record, position + 1);
    return {{key::found, true}, {key::record_id, position + 1}, {key::next_record_id, next}, {key::data, text::to_hex(record)}};
}

void ControlSide::add_event(const std::vector<std::uint8_t> &record) {
    if (record.size() != event_record_size) throw std::runtime_error("an event record has 16 bytes");
    VirtualServer::Hold hold(server_);
    auto &records = hold.machine().unit.memory.event_log;
    if (records.size() >= max_event_records) throw std::runtime_error("the event log is full");
    std::vector<std::uint8_t> stored = record;
    set_record_id(stored, records.size() + 1);
    records.push_back(stored);
    hold.remember();
}

void ControlSide::clear_event_log() {
    VirtualServer::Hold hold(server_);
    hold.machine().unit.memory.event_log.clear();
    hold.remember();
}

}  // namespace mgx::testbed
