// The query table behind the forwarding query exports: 22 categories, each an array of entry
// points. Its address is what the outside sensor library hands over, so the layout is an
// interface; the three fields follow each other without gaps (the pointer has the process's
// pointer width).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

// A caller-cleans entry point; the forwarding exports pass their own arguments on unchanged.
using QueryEntry = std::int32_t (*)(...);

inline constexpr std::size_t query_category_count = 22;

#pragma pack(push, 1)
struct QueryCategory {
    std::uint32_t category;
    QueryEntry *slots;
    std::uint32_t supported;
};
#pragma pack(pop)
static_assert(offsetof(QueryCategory, slots) == 4, "QueryCategory layout");
static_assert(sizeof(QueryCategory) == 8 + sizeof(void *), "QueryCategory layout");

// A typed entry point as a slot: the callers pass integer and pointer arguments, which the
// 64-bit calling convention hands over alike to variadic and fixed entry points.
template <typename Function>
QueryEntry as_query_entry(Function *function) {
    return reinterpret_cast<QueryEntry>(reinterpret_cast<void (*)()>(function));
}

// Accepts any arguments and answers 4 (not supported).
std::int32_t NotSupportedEntry(...);

// Fills the locally built table of the SMBus back end, makes it the process's query table and
// returns its category count (22).
std::uint32_t install_local_query_table();

}  // namespace mgx::hal
