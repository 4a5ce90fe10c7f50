// Any bytes as an event log record, decoded, described and rated; and any bytes as the states a
// discrete sensor asserts.
#include <cstddef>
#include <cstdint>
#include <span>

#include "event_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (const auto record = mgx::hal::decode_event_record(std::span(data, size))) {
        (void)mgx::hal::event_text(record->event);
        (void)mgx::hal::event_severity(record->event);
    }
    if (size >= 4) (void)mgx::hal::discrete_states_severity(data[0], data[1], static_cast<std::uint16_t>(data[2] | data[3] << 8));
    return 0;
}
