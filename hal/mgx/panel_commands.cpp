// The front panel: LEDs and LCD lines.
#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "unit_command.h"

using namespace mgx::hal;

// A text longer than the record's 16 bytes is refused, nothing sent.
extern "C" std::int32_t MGXLcdAndLedControl(MgxPanelControl in) {
    if (in.parameter >= 32 || in.text_length > sizeof in.text) return status::bad_argument;
    std::uint8_t data[7 + sizeof in.text] = {
        in.device, static_cast<std::uint8_t>((in.enable ? 0x80 : 0) | static_cast<std::uint8_t>(in.mode << 5) | in.pattern),
        in.parameter};
    std::size_t length = 3;
    if (in.with_display) {
        data[3] = static_cast<std::uint8_t>(0x80 | (in.display_mode & 7) << 4 | in.display_attribute);
        length = 4;
        if (in.display_mode != 4) {
            data[4] = in.text_length;
            data[5] = in.row;
            data[6] = in.column;
            std::memcpy(data + 7, in.text, in.text_length);
            length = 7u + in.text_length;
        }
    }
    MgxResponse answer;
    return unit_command(UnitCommand::PanelControl, data, length, answer);
}

extern "C" std::int32_t MGXLcdAndLedRead(MgxPanelState *out) {
    if (!out) return status::bad_argument;
    std::memset(out, 0, sizeof *out);
    for (std::uint8_t line = 0; line < 2; ++line) {
        const std::uint8_t data[2] = {line, 0x13};
        MgxResponse answer;
        if (std::int32_t result = unit_command(UnitCommand::PanelRead, data, sizeof data, answer)) return result;
        if (answer.length < 19) return status::answer_too_short;
        const std::uint8_t *bytes = answer.data;
        MgxPanelState &state = *out;
        state[PanelFlag::AnswerByte0Bit1Clear] = (bytes[0] & 0x02) ? 0 : 1;
        state[PanelFlag::LcdPresent] = (bytes[0] & 0x01) ? 0 : 1;
        state[PanelFlag::AnswerByte17Bit0] = bytes[17] & 1;
        state[PanelFlag::OsBootMonitoring] = (bytes[17] >> 1) & 1;
        state[PanelFlag::AnswerByte17Bit2] = (bytes[17] >> 2) & 1;
        constexpr PanelFlag leds[3] = {PanelFlag::Led0, PanelFlag::Led1, PanelFlag::Led2};
        for (int bit = 0; bit < 3; ++bit)
            if (bytes[18] & (1 << bit)) state[leds[bit]] = 1;
        std::memcpy(out->line[line], bytes + 1, 16);
    }
    return status::ok;
}
