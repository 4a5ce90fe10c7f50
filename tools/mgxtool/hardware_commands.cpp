#include "hardware_commands.h"

#include <cstring>
#include <memory>
#include <sstream>

#include <halcore/mgx_call.h>

#include "change_report.h"
#include "cli/input_parsing.h"
#include "halcore_session.h"
#include "text/hex.h"

namespace mgx::tool {

using namespace mgx::cli;

using nlohmann::json;
using namespace mgx::hal;

namespace {

struct FruOptions {
    std::uint8_t device = 0, count = 0;
    std::uint16_t offset = 0;
    bool unit_store = false;
    std::string bytes;

    std::int32_t source() const { return unit_store ? 1 : 0; }
};

void add_fru(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<FruOptions>();
    CLI::App *fru = app.add_subcommand("fru", "FRU areas: a standard FRU device, or the unit's own store with --unit");
    fru->require_subcommand(1);
    fru->add_flag("--unit", options->unit_store, "the unit's own FRU store");
    fru->fallthrough();
    CLI::App *info = fru->add_subcommand("info", "area size and access of DEVICE");
    add_number(info, "device", options->device, "FRU device id")->required();
    info->callback([&output, options] {
        with_unit(output, [&options](json &document, std::ostringstream &text) {
            const MgxFruAreaQuery query{options->device, options->source()};
            MgxFruAreaInfo area{};
            if (std::int32_t status = mgx_call<CommandType::FruAreaInfo>(query, area)) return status;
            document["area_size"] = area.area_size;
            document["word_access"] = area.word_access == 1;
            text << "area size " << area.area_size << " bytes, " << (area.word_access ? "word" : "byte") << " access\n";
            return 0;
        });
    });
    CLI::App *read = fru->add_subcommand("read", "read DEVICE OFFSET COUNT");
    add_number(read, "device", options->device, "FRU device id")->required();
    add_number(read, "offset", options->offset, "offset in the area")->required();
    add_number(read, "count", options->count, "bytes, at most 24", 1, 24)->required();
    read->callback([&output, options] {
        with_unit(output, [&options](json &document, std::ostringstream &text) {
            const MgxFruRequest request{options->source(), options->device, options->offset, options->count};
            MgxFruData data{};
            if (std::int32_t status = mgx_call<CommandType::ReadFru>(request, data)) return status;
            const std::size_t got = std::min<std::size_t>(data.count, options->count);
            const std::string shown = text::to_hex(std::span(data.data, got));
            document["asked"] = options->count;
            document["got"] = got;
            document["data"] = shown;
            text << got << " bytes: " << shown << "\n";
            if (got != options->count)
                mark_incomplete(document, text,
                                "asked for " + std::to_string(options->count) + " bytes, got " + std::to_string(got));
            return 0;
        });
    });
    CLI::App *write = fru->add_subcommand("write", "write DEVICE OFFSET HEX-BYTES (at most 24)");
    add_number(write, "device", options->device, "FRU device id")->required();
    add_number(write, "offset", options->offset, "offset in the area")->required();
    write->add_option("bytes", options->bytes, "hexadecimal bytes")->required();
    write->callback([&output, options] {
        const std::vector<std::uint8_t> payload = parse_hex(options->bytes, 24, "the bytes");
        with_unit(output, [&options, &payload](json &document, std::ostringstream &text) {
            // What the range held, to say what the write changed.
            const auto range = [&] {
                const MgxFruRequest request{options->source(), options->device, options->offset,
                                            static_cast<std::uint8_t>(payload.size())};
                MgxFruData held{};
                const std::int32_t status = mgx_call<CommandType::ReadFru>(request, held);
                return status == 0 ? text::to_hex(std::span(held.data, std::min<std::size_t>(held.count, payload.size())))
                                   : "unreadable (status " + std::to_string(status) + ")";
            };
            const std::string before = range();
            MgxFruData data{options->source(), options->device, options->offset, static_cast<std::uint8_t>(payload.size()), {}};
            std::memcpy(data.data, payload.data(), payload.size());
            std::uint8_t written = 0;
            if (std::int32_t status = mgx_call<CommandType::WriteFru>(data, written)) return status;
            document["written"] = written;
            report_changes(
                {{"FRU bytes " + std::to_string(options->offset) + " to " + std::to_string(options->offset + payload.size() - 1),
                  before, range()}},
                false, document, text);
            text << int(written) << " bytes written\n";
            return 0;
        });
    });
}

struct FanOptions {
    std::uint8_t number = 0;
    std::uint16_t value = 0;
};

void add_fans(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<FanOptions>();
    CLI::App *fan = app.add_subcommand("fan", "fan control and status");
    fan->require_subcommand(1);
    CLI::App *set = fan->add_subcommand("set", "set FAN VALUE (control value, 0 to 65535)");
    add_number(set, "fan", options->number, "fan number")->required();
    add_number(set, "value", options->value, "control value")->required();
    set->callback([&output, options] {
        with_unit(output, [&options](json &document, std::ostringstream &text) {
            const MgxFanControl control{options->number, options->value, 0};
            std::uint8_t code = 0;
            std::int32_t status = mgx_call<CommandType::FanControl>(control, code);
            document["completion_code"] = code;
            document["changed"] = status == 0;
            if (status == 0)
                text << "changed fan " << int(options->number) << "'s control value to " << options->value
                     << " (the unit does not tell the value it had)\n";
            return status;
        });
    });
    CLI::App *status_command = fan->add_subcommand("status", "status FAN");
    add_number(status_command, "fan", options->number, "fan number")->required();
    status_command->callback([&output, options] {
        with_unit(output, [&options](json &document, std::ostringstream &text) {
            const std::int32_t fan_number = options->number;
            std::int32_t state = 0;
            std::int32_t status = mgx_call<CommandType::FanStatus>(fan_number, state);
            if (status == 0) {
                document["fan_status"] = state;
                text << "fan " << int(options->number) << " status " << state << "\n";
            }
            return status;
        });
    });
}

void show_panel(json &document, std::ostringstream &text, const MgxPanelState &state) {
    put_outside_texts(document, "lines", {std::string_view(state.line[0], 16), std::string_view(state.line[1], 16)});
    document["flags"] = state.flags;
    document["lcd_present"] = state.is_set(PanelFlag::LcdPresent);
    document["os_boot_monitoring"] = state.is_set(PanelFlag::OsBootMonitoring);
    text << "line 0  [" << shown_text(latin1_text(std::string_view(state.line[0], 16))) << "]\nline 1  ["
         << shown_text(latin1_text(std::string_view(state.line[1], 16))) << "]\n"
         << "LCD panel " << (state.is_set(PanelFlag::LcdPresent) ? "present" : "absent") << ", OS boot monitoring "
         << (state.is_set(PanelFlag::OsBootMonitoring) ? "supported" : "not supported") << "\nLEDs    "
         << state.is_set(PanelFlag::Led0) << state.is_set(PanelFlag::Led1) << state.is_set(PanelFlag::Led2) << "\n";
}

struct PanelOptions {
    MgxPanelControl control{};
    std::string text;
    int display_mode = 0, row = 0, column = 0;
};

void add_panel(CLI::App &app, const OutputOptions &output) {
    CLI::App *panel = app.add_subcommand("panel", "the front panel's LCD lines and LEDs");
    panel->require_subcommand(1);
    panel->add_subcommand("read", "LCD lines, LEDs and the panel's abilities")->callback([&output] {
        with_unit(output, [](json &document, std::ostringstream &text) {
            MgxPanelState state{};
            if (std::int32_t status = mgx_call<CommandType::PanelRead>(state)) return status;
            show_panel(document, text, state);
            return 0;
        });
    });
    auto options = std::make_shared<PanelOptions>();
    MgxPanelControl &control = options->control;
    CLI::App *set = panel->add_subcommand("set", "LEDs and, with --text, an LCD line");
    add_number(set, "--device", control.device, "device byte");
    set->add_flag("--enable", control.enable, "enable");
    add_number(set, "--mode", control.mode, "mode (its low 3 bits)", 0, 7);
    add_number(set, "--pattern", control.pattern, "pattern bits", 0, 31);
    add_number(set, "--parameter", control.parameter, "parameter, below 32", 0, 31);
    set->add_option("--text", options->text, "a text of at most 16 characters for the LCD");
    add_number(set, "--row", options->row, "LCD line 0 or 1", 0, 1);
    add_number(set, "--column", options->column, "first column, 0 to 15", 0, 15);
    add_number(set, "--display-mode", options->display_mode, "display mode 0 to 7 (4: no text)", 0, 7);
    add_number(set, "--attribute", control.display_attribute, "display attribute bits", 0, 15);
    set->callback([&output, options, set] {
        MgxPanelControl &control = options->control;
        const std::string line = ansi_text(options->text, "the LCD text");
        if (line.size() > sizeof control.text) throw CLI::ValidationError("the LCD text holds at most 16 characters");
        const bool with_display = set->count("--text") || set->count("--display-mode");
        control.with_display = with_display ? 1 : 0;
        control.display_mode = options->display_mode;
        control.text_length = static_cast<std::uint8_t>(line.size());
        control.row = static_cast<std::uint8_t>(options->row);
        control.column = static_cast<std::uint8_t>(options->column);
        std::memcpy(control.text, line.data(), line.size());
        with_unit(output, [&control](json &document, std::ostringstream &text) {
            // The lines and LEDs as the panel shows them, before and after.
            const auto shown = [] {
                MgxPanelState state{};
                if (const std::int32_t status = mgx_call<CommandType::PanelRead>(state))
                    return "unreadable (status " + std::to_string(status) + ")";
                return "[" + shown_text(latin1_text(std::string_view(state.line[0], 16))) + "] [" +
                       shown_text(latin1_text(std::string_view(state.line[1], 16))) + "] LEDs " +
                       std::to_string(state.is_set(PanelFlag::Led0)) + std::to_string(state.is_set(PanelFlag::Led1)) +
                       std::to_string(state.is_set(PanelFlag::Led2));
            };
            const std::string before = shown();
            std::int32_t status = mgx_call<CommandType::PanelControl>(control);
            if (status == 0) report_changes({{"the front panel", before, shown()}}, false, document, text);
            return status;
        });
    });
}

}  // namespace

void add_hardware_commands(CLI::App &app, const OutputOptions &output) {
    add_fru(app, output);
    add_fans(app, output);
    add_panel(app, output);
}

}  // namespace mgx::tool
