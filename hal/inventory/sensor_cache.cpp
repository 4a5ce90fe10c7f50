#include "sensor_cache.h"

#include <new>

namespace mgx::hal {

void SensorCache::add(const SensorDescription &decoded) {
    if ((decoded.owner_id & 0x01) || !valid_type(decoded.sensor_type)) return;
    const std::size_t shared = decoded.kind == SensorKind::Threshold ? 1 : (decoded.share_count & 0x0F);
    if (shared == 0) return;
    std::vector<SensorSlot> &slots = slots_[decoded.sensor_type];
    try {  // everything that may fail comes first: a dropped record leaves the cache as it was
        auto description = std::make_unique<SensorDescription>(decoded);
        descriptions_.reserve(descriptions_.size() + 1);
        slots.reserve(slots.size() + shared);
        for (std::size_t i = 0; i < shared; ++i)
            slots.push_back({description.get(), decoded.entity_id, static_cast<std::uint8_t>(decoded.entity_instance + i),
                             static_cast<std::uint8_t>(decoded.sensor_number + i)});
        descriptions_.push_back(std::move(description));
    } catch (const std::bad_alloc &) {
    }
}

void SensorCache::clear() {
    for (auto &slots : slots_) slots = {};
    descriptions_.clear();
}

std::int32_t SensorCache::count(std::uint32_t type) const {
    return valid_type(type) ? static_cast<std::int32_t>(slots_[type].size()) : 0;
}

std::optional<SensorSlot> SensorCache::slot(std::uint32_t type, std::uint32_t index) const {
    if (!valid_type(type) || index < 1 || index > slots_[type].size()) return std::nullopt;
    return slots_[type][index - 1];
}

SensorCache &sensor_cache() {
    static SensorCache cache;
    return cache;
}

}  // namespace mgx::hal
