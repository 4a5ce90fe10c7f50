// The query table sensor.dll hands out through SENSORCiGetApiInfo, as the library lays it out:
// 22 categories, each its number, the address of its array of entry points (the process's
// pointer width) and a 32-bit flag, without gaps.
#pragma once

#include <cstddef>
#include <cstdint>

using SensorQueryEntry = std::int32_t (*)(...);

inline constexpr std::size_t sensor_query_category_count = 22;

#pragma pack(push, 1)
struct SensorQueryCategory {
    std::uint32_t category;
    SensorQueryEntry *slots;
    std::uint32_t supported;
};
#pragma pack(pop)

static_assert(offsetof(SensorQueryCategory, slots) == 4, "SensorQueryCategory layout");
static_assert(offsetof(SensorQueryCategory, supported) == 4 + sizeof(void *), "SensorQueryCategory layout");
static_assert(sizeof(SensorQueryCategory) == 8 + sizeof(void *), "SensorQueryCategory layout");
