// Start monitoring (POST and OS boot watchdog) and the safe power-off mode.
#include <halcore/halcore.h>
#include <halcore/status_codes.h>
#include "platform.h"

#include "unit_command.h"

using namespace mgx::hal;

extern "C" std::int32_t MGXGetSafeMode(std::int32_t *mode) {
    if (!mode) return status::bad_argument;
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::SafeMode, nullptr, 0, answer)) return result;
    if (answer.length < 1) return status::answer_too_short;
    if (answer.data[0] == 0 || answer.data[0] == 1) *mode = answer.data[0];
    return status::ok;
}

extern "C" std::int32_t MGXSetSafeMode(std::int32_t mode) {
    const std::uint8_t data[1] = {static_cast<std::uint8_t>(mode)};
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::SetSafeMode, data, sizeof data, answer)) return result;
    wait_ms(500);
    return status::ok;
}

extern "C" std::int32_t MGXGetPostBootMonTime(BootMonitorSettings *out) {
    if (!out) return status::bad_argument;
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::BootMonitoring, nullptr, 0, answer)) return result;
    if (answer.length < 7) return status::answer_too_short;
    const std::uint8_t *data = answer.data;
    out->post_timeout = static_cast<std::uint16_t>(data[0] | data[1] << 8);
    out->post_retries = data[2];
    out->os_boot_timeout = static_cast<std::uint16_t>(data[3] | data[4] << 8);
    out->os_boot_retries = data[5];
    out->retry_method = data[6];
    return status::ok;
}

extern "C" std::int32_t MGXSetPostBootMonTime(BootMonitorSettings in) {
    const std::uint8_t data[8] = {
        static_cast<std::uint8_t>((in.post_selector ? 0x80 : 0) | (in.os_boot_selector ? 0x40 : 0)),
        static_cast<std::uint8_t>(in.post_timeout),
        static_cast<std::uint8_t>(in.post_timeout >> 8),
        in.post_retries,
        static_cast<std::uint8_t>(in.os_boot_timeout),
        static_cast<std::uint8_t>(in.os_boot_timeout >> 8),
        in.os_boot_retries,
        static_cast<std::uint8_t>(in.retry_method == 1 ? 1 : 0),
    };
    MgxResponse answer;
    if (std::int32_t result = unit_command(UnitCommand::SetBootMonitoring, data, sizeof data, answer)) return result;
    wait_ms(500);
    return status::ok;
}
