#include "sensor_repository.h"

#include <set>
#include <stdexcept>

namespace mgx::testbed {

namespace {

std::uint16_t id_of(const Bytes &record) { return static_cast<std::uint16_t>(record[0] | record[1] << 8); }

}  // namespace

SensorRepository SensorRepository::from_dump(std::span<const std::uint8_t> dump) {
    if (dump.empty()) throw std::runtime_error("the repository is empty (0 bytes)");
    SensorRepository repository;
    std::set<std::uint16_t> ids;
    for (std::size_t at = 0; at < dump.size();) {
        if (dump.size() - at < sdr_header_size)
            throw std::runtime_error("the repository ends inside a record header at byte " + std::to_string(at));
        const std::size_t size = sdr_header_size + dump[at + 4];
        if (dump.size() - at < size) throw std::runtime_error("the record at byte " + std::to_string(at) + " is cut short");
        Bytes record(dump.begin() + at, dump.begin() + at + size);
        const std::uint16_t id = id_of(record);
        if (id == sdr_last_record) throw std::runtime_error("a record has the ID 0xFFFF, which marks the end");
        if (!ids.insert(id).second) throw std::runtime_error("the record ID " + std::to_string(id) + " is used twice");
        repository.records_.push_back(std::move(record));
        at += size;
    }
    return repository;
}

Bytes SensorRepository::dump() const {
    Bytes bytes;
    for (const Bytes &record : records_) bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

std::optional<SensorRepository::Found> SensorRepository::find(std::uint16_t record_id) const {
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (record_id != 0 ? id_of(records_[i]) != record_id : i != 0) continue;
        const std::uint16_t next = i + 1 < records_.size() ? id_of(records_[i + 1]) : sdr_last_record;
        const auto linked = links_.find(id_of(records_[i]));
        return Found{records_[i], linked != links_.end() ? linked->second : next};
    }
    return std::nullopt;
}

void SensorRepository::link(std::uint16_t from, std::uint16_t to) {
    const auto found = find(from);
    if (!found) throw std::runtime_error("the repository has no record " + std::to_string(from));
    links_[id_of(found->record)] = to;
}

}  // namespace mgx::testbed
