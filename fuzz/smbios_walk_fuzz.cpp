// Any bytes as an entry point window, and as a structure table searched for every structure's
// strings.
#include <cstddef>
#include <cstdint>

#include "smbios_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    (void)mgx::bmc::find_entry_point(data, size);
    if (size == 0) return 0;
    const std::uint8_t type = data[0];
    for (std::uint8_t instance = 0; instance < 4; ++instance) {
        const std::uint8_t *structure = mgx::bmc::find_structure(data, size, type, instance);
        if (!structure) break;
        for (std::uint8_t n = 0; n < 6; ++n) (void)mgx::bmc::nth_string(data, size, structure, n);
    }
    return 0;
}
