// The security and LCD queries of the locally built table: the chassis status, and the LCD
// panel's description and text from the management unit.
#include <algorithm>
#include <cstring>

#include <halcore/status_codes.h>

#include "controller_requests.h"
#include "sensor_lock.h"
#include "sensor_queries.h"
#include "transport.h"

namespace mgx::hal {

namespace {

constexpr std::uint8_t line_not_present = 0xC6;
constexpr std::size_t lcd_text_capacity = sizeof(LcdTextRecord::text) - 1;  // the rest is the terminator

LcdInfoRecord &lcd_description() {
    static LcdInfoRecord description{};
    return description;
}

}  // namespace

std::int32_t local_security_info(SecurityInfoRecord *record) {
    SensorLockScope lock;
    if (!record) return status::bad_argument;
    record->words[0] = record->words[1] = record->words[2] = 2;
    MgxResponse response{};
    if (std::int32_t result = SendControllerRequest(command_request(get_chassis_status), &response, inventory_target))
        return result;
    if (response.completion_code != 0) return response.completion_code;
    record->words[3] = (response.data[1] & 0x02) ? 3 : 4;
    return status::ok;
}

std::int32_t local_lcd_description(LcdInfoRecord *record) {
    SensorLockScope lock;
    MgxResponse response{};
    if (std::int32_t result = SendMgxRequest(command_request(get_lcd_description), &response)) return result;
    if (response.completion_code != 0) return 1;
    if (!record) return status::bad_argument;
    LcdInfoRecord &description = lcd_description();
    description = LcdInfoRecord{};
    description.line_count = response.data[0];
    description.panel_number = response.data[1];
    description.name.encoding = FruEncoding::Ascii8;
    description.name.length = 16;
    std::strcpy(description.name.text, "MGX LCD Display");
    *record = description;
    return status::ok;
}

std::int32_t local_lcd_text(LcdTextRecord *record) {
    SensorLockScope lock;
    if (!record) return status::bad_argument;
    const LcdInfoRecord &description = lcd_description();
    std::size_t stored = 0;
    for (std::uint32_t line = 0; line < description.line_count; ++line) {
        MgxResponse response{};
        const MgxRequest request = command_request(
            get_lcd_line, {static_cast<std::uint8_t>(description.panel_number), static_cast<std::uint8_t>(line), 0});
        if (std::int32_t result = SendMgxRequest(request, &response)) return result;
        if (response.completion_code != 0 && response.completion_code != line_not_present) return 1;
        if (response.length < 1 || response.length != response.data[0] + 1) return 1;
        // Text beyond the field's 127 characters is cut.
        const std::size_t kept = std::min<std::size_t>(response.data[0], lcd_text_capacity - stored);
        std::memcpy(record->text + stored, response.data + 1, kept);
        stored += kept;
    }
    record->text[stored] = '\0';
    record->length = static_cast<std::uint8_t>(stored);
    record->encoding = FruEncoding::Ascii8;
    return status::ok;
}

}  // namespace mgx::hal
