// Any bytes as a FRU inventory (the first byte chooses whether the chassis list holds a record).
#include <cstddef>
#include <cstdint>
#include <span>

#include "fru_inventory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    (void)mgx::hal::decode_fru_inventory(std::span(data + 1, size - 1), data[0] & 1);
    std::size_t at = 0;
    while (at < size) (void)mgx::hal::decode_fru_field(std::span(data, size), at);
    return 0;
}
