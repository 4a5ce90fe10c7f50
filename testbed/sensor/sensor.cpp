// sensor.dll: the outside sensor library of IMB machines. This stand-in supports no query: it
// hands over a query table of the 22 categories whose every slot answers 4 (not supported), and
// a cleanup entry point.
#include <array>
#include <cstdint>

#include "query_table.h"

namespace {

std::int32_t not_supported(...) { return 4; }

constexpr std::array<std::pair<std::uint32_t, int>, sensor_query_category_count> categories = {{
    {1, 6}, {2, 10}, {3, 3}, {5, 3}, {4, 3}, {10, 2}, {11, 1}, {7, 4}, {6, 2}, {12, 2}, {9, 1},
    {8, 1}, {13, 2}, {14, 2}, {15, 2}, {16, 2}, {17, 2}, {18, 0}, {19, 0}, {20, 0}, {21, 0}, {22, 5},
}};

SensorQueryEntry slots[10] = {not_supported, not_supported, not_supported, not_supported, not_supported,
                        not_supported, not_supported, not_supported, not_supported, not_supported};
SensorQueryCategory table[sensor_query_category_count];

void cleanup() {}

}  // namespace

extern "C" int SENSORCiGetApiInfo(void **query_table, std::uint32_t *count, std::uint32_t *, std::uint32_t *,
                                  void (**cleanup_entry)()) {
    for (std::size_t i = 0; i < categories.size(); ++i)
        table[i] = {categories[i].first, categories[i].second ? slots : nullptr, 0};
    if (query_table) *query_table = table;
    if (count) *count = static_cast<std::uint32_t>(categories.size());
    if (cleanup_entry) *cleanup_entry = cleanup;
    return 0;
}
