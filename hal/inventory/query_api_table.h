// The query table behind the forwarding query exports: 22 categories, each an array of entry
// points. Its address is what the outside sensor library hands over, so the layout is an
// interface: a C compiler's natural layout of {32-bit category, pointer, 32-bit flag}, which is
// three 32-bit words on a 32-bit system and 24 bytes, the pointer at 8, on a 64-bit one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

// A caller-cleans entry point; the forwarding exports pass their own arguments on unchanged.
using QueryEntry = std::int32_t (*)(...);

inline constexpr std::size_t query_category_count = 22;

struct QueryCategory {
    std::uint32_t category;
    QueryEntry *slots;
    std::uint32_t supported;
};
static_assert(offsetof(QueryCategory, slots) == sizeof(void *), "QueryCategory layout");
static_assert(offsetof(QueryCategory, supported) == 2 * sizeof(void *), "QueryCategory layout");
static_assert(sizeof(QueryCategory) == 3 * sizeof(void *), "QueryCategory layout");

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
// Whether the process's query table is the one install_local_query_table built.
bool local_query_table_installed();

}  // namespace mgx::hal
