// Any bytes as a sensor data record: decoded, converted at a few raw readings and written into a
// sensor-info record. The name must be bytes of the input, never bytes past its end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "sensor_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto sensor = mgx::hal::decode_sensor_record(std::span(data, size));
    if (!sensor) return 0;
    const auto name_end = sensor->name.begin() + sensor->name_length;
    const auto same_byte = [](std::uint8_t byte, char name_byte) { return byte == static_cast<std::uint8_t>(name_byte); };
    if (sensor->name_length > 0 && std::search(data, data + size, sensor->name.begin(), name_end, same_byte) == data + size)
        std::abort();
    for (int raw : {0x00, 0x01, 0x7F, 0x80, 0xFF}) (void)mgx::hal::convert_reading(*sensor, static_cast<std::uint8_t>(raw));
    mgx::hal::SensorInfoRecord record{};
    mgx::hal::fill_sensor_info(*sensor, record);
    return 0;
}
