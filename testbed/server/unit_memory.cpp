#include "unit_memory.h"

namespace mgx::testbed {

void normalise(UnitMemory &memory) {
    memory.store.resize(unit_store_size, 0);
    memory.unit_fru.resize(fru_area_size, 0xFF);
    if (memory.fru_device.empty() || memory.fru_device.size() > max_fru_image) memory.fru_device.resize(fru_area_size, 0xFF);
    memory.fan_control.resize(fan_count, 0);
    memory.maintenance.info.resize(16, 0);
    memory.maintenance.memory.resize(16, 0);
    for (std::string &line : memory.panel.lines) line.resize(16, ' ');
    for (std::vector<std::uint8_t> &record : memory.event_log) record.resize(event_record_size, 0);
}

}  // namespace mgx::testbed
