// sensor.dll: the outside sensor library of IMB machines. This stand-in hands over a query table
// of the 22 categories and a cleanup entry point. A few slots answer recognisably, so that a
// caller can see its call arrive with its arguments; every other slot answers 4 (not supported).
//
//   category 1, slot 0 (sensor count):  *count = sensor type * 100 + 7, result 0
//   category 1, slot 4 (thresholds):    result = first + 2*second + 3*third + 4*fourth (the
//                                       arguments as passed)
//   category 22, slot 0 (LCD description): the first byte 'D', result 0; a NULL record gives 5
//   category 22, slot 3 (LCD text):     the first byte 'T', result 0
#include <array>
#include <cstdint>

#include "query_table.h"

namespace {

std::int32_t not_supported(...) { return 4; }

std::int32_t sensor_count(std::uint32_t type, std::int32_t *count) {
    if (!count) return 5;
    *count = static_cast<std::int32_t>(type * 100 + 7);
    return 0;
}

std::int32_t thresholds(std::uintptr_t first, std::uintptr_t second, std::uintptr_t third, std::uintptr_t fourth) {
    return static_cast<std::int32_t>(first + 2 * second + 3 * third + 4 * fourth);
}

std::int32_t mark(void *record, char letter) {
    if (!record) return 5;
    *static_cast<char *>(record) = letter;
    return 0;
}

std::int32_t lcd_description(void *record) { return mark(record, 'D'); }
std::int32_t lcd_text(void *record) { return mark(record, 'T'); }

template <typename Function>
SensorQueryEntry entry(Function function) {
    return reinterpret_cast<SensorQueryEntry>(reinterpret_cast<void (*)()>(function));
}

constexpr std::array<std::pair<std::uint32_t, int>, sensor_query_category_count> categories = {{
    {1, 6}, {2, 10}, {3, 3},  {5, 3},  {4, 3},  {10, 2}, {11, 1}, {7, 4},  {6, 2},  {12, 2}, {9, 1},
    {8, 1}, {13, 2}, {14, 2}, {15, 2}, {16, 2}, {17, 2}, {18, 0}, {19, 0}, {20, 0}, {21, 0}, {22, 5},
}};

SensorQueryEntry slots[sensor_query_category_count][10];
SensorQueryCategory table[sensor_query_category_count];

void cleanup() {}

}  // namespace

extern "C" int SENSORCiGetApiInfo(void **query_table, std::uint32_t *count, std::uint32_t *, std::uint32_t *,
                                  void (**cleanup_entry)()) {
    for (std::size_t i = 0; i < categories.size(); ++i) {
        for (SensorQueryEntry &slot : slots[i]) slot = not_supported;
        table[i] = {categories[i].first, categories[i].second ? slots[i] : nullptr, 0};
    }
    slots[0][0] = entry(sensor_count);
    slots[0][4] = entry(thresholds);
    slots[21][0] = entry(lcd_description);
    slots[21][3] = entry(lcd_text);
    if (query_table) *query_table = table;
    if (count) *count = static_cast<std::uint32_t>(categories.size());
    if (cleanup_entry) *cleanup_entry = cleanup;
    return 0;
}
