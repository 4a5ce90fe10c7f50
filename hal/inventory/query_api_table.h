// The query table behind the forwarding query exports: 22 categories, each an array of entry
// points. Its address is what the outside sensor library hands over, so the layout is an
// interface; the three fields follow each other without gaps (the pointer has the process's
// pointer width).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

using QueryEntry = std::int32_t (*)(...);

inline constexpr std::size_t query_category_count = 22;

#pragma pack(push, 1)
struct QueryCategory {
    std::uint32_t category;
    QueryEntry *slots;
    std::uint32_t supported;
};
#pragma pack(pop)
static_assert(sizeof(QueryCategory) == 8 + sizeof(void *), "QueryCategory layout");

}  // namespace mgx::hal
