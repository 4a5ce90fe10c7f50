// The query table sensor.dll hands out through SENSORCiGetApiInfo, as the library lays it out:
// 22 categories, each its number, the address of its array of entry points and a 32-bit flag,
// as a C compiler lays them out: 12 bytes on a 32-bit system, 24 (the pointer at 8) on a 64-bit one.
#pragma once

#include <cstddef>
#include <cstdint>

using SensorQueryEntry = std::int32_t (*)(...);

inline constexpr std::size_t sensor_query_category_count = 22;

struct SensorQueryCategory {
    std::uint32_t category;
    SensorQueryEntry *slots;
    std::uint32_t supported;
};

static_assert(sizeof(void *) != 8 || (offsetof(SensorQueryCategory, slots) == 8 &&
                                      offsetof(SensorQueryCategory, supported) == 16 && sizeof(SensorQueryCategory) == 24),
              "SensorQueryCategory layout on a 64-bit system");
static_assert(sizeof(void *) != 4 || sizeof(SensorQueryCategory) == 12, "SensorQueryCategory layout on a 32-bit system");
