#include "settings_commands.h"

#include <cstring>
#include <optional>
#include <sstream>

#include "halcore.h"
#include "halcore_session.h"
#include "text/hex.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::hal;

namespace {

std::vector<std::uint8_t> parse_hex(const std::string &text, std::size_t limit, const char *what) {
    auto bytes = text::from_hex(text);
    if (!bytes) throw CLI::ValidationError(std::string(what) + " must be hexadecimal bytes, e.g. \"de ad be ef\"");
    if (bytes->size() > limit) throw CLI::ValidationError(std::string(what) + ": at most " + std::to_string(limit) + " bytes");
    return *bytes;
}

void add_safe_mode(CLI::App &app, const OutputOptions &options) {
    static std::optional<std::string> set;
    CLI::App *command = app.add_subcommand("safe-mode", "the safe power-off mode (shutdown instead of power-off)");
    command->add_option("--set", set, "on or off")->check(CLI::IsMember({"on", "off"}));
    command->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            if (set) {
                std::int32_t mode = *set == "on" ? 0 : 1;  // the unit keeps 0 for on, 1 for off
                if (std::int32_t status = HCXMgxInterface(&mode, 4, nullptr, 0, 17)) return status;
            }
            std::int32_t mode = -1;
            std::int32_t status = HCXMgxInterface(nullptr, 0, &mode, 4, 16);
            if (status == 0) {
                document["safe_mode"] = mode == 0 ? "on" : mode == 1 ? "off" : "unknown";
                text << "safe power-off mode " << document["safe_mode"].get<std::string>() << "\n";
            }
            return status;
        });
    });
}

void add_boot_monitoring(CLI::App &app, const OutputOptions &options) {
    static std::optional<std::string> post, os_boot, method;
    static std::optional<std::uint16_t> post_timeout, os_timeout;
    static std::optional<std::uint8_t> post_retries, os_retries;
    CLI::App *command = app.add_subcommand("boot-monitoring", "POST and OS-boot monitoring of the unit");
    command->add_option("--post", post, "set: POST monitoring on or off")->check(CLI::IsMember({"on", "off"}));
    command->add_option("--os-boot", os_boot, "set: OS-boot monitoring on or off")->check(CLI::IsMember({"on", "off"}));
    command->add_option("--post-timeout", post_timeout, "seconds")->check(CLI::Range(1, 65535));
    command->add_option("--post-retries", post_retries, "retries")->check(CLI::Range(0, 255));
    command->add_option("--os-timeout", os_timeout, "seconds")->check(CLI::Range(1, 65535));
    command->add_option("--os-retries", os_retries, "retries")->check(CLI::Range(0, 255));
    command->add_option("--method", method, "retry method: reboot or power-cycle")->check(CLI::IsMember({"reboot", "power-cycle"}));
    command->callback([&options] {
        const bool setting = post || os_boot || post_timeout || post_retries || os_timeout || os_retries || method;
        // The unit does not report whether each monitoring is on, so a change names both.
        if (setting && (!post || !os_boot)) throw CLI::ValidationError("a change needs both --post and --os-boot");
        with_unit(options, [setting](json &document, std::ostringstream &text) {
            BootMonitorSettings settings{};
            if (std::int32_t status = HCXMgxInterface(nullptr, 0, &settings, sizeof settings, 18)) return status;
            if (setting) {
                settings.post_selector = *post == "on";
                settings.os_boot_selector = *os_boot == "on";
                if (post_timeout) settings.post_timeout = *post_timeout;
                if (post_retries) settings.post_retries = *post_retries;
                if (os_timeout) settings.os_boot_timeout = *os_timeout;
                if (os_retries) settings.os_boot_retries = *os_retries;
                if (method) settings.retry_method = *method == "power-cycle" ? 1 : 0;
                if (std::int32_t status = HCXMgxInterface(&settings, sizeof settings, nullptr, 0, 19)) return status;
                if (std::int32_t status = HCXMgxInterface(nullptr, 0, &settings, sizeof settings, 18)) return status;
            }
            document["boot_monitoring"] = {{"post_timeout", settings.post_timeout},
                                           {"post_retries", settings.post_retries},
                                           {"os_boot_timeout", settings.os_boot_timeout},
                                           {"os_boot_retries", settings.os_boot_retries},
                                           {"retry_method", settings.retry_method == 1 ? "power-cycle" : "reboot"}};
            text << "POST     time-out " << settings.post_timeout << " s, " << int(settings.post_retries) << " retries\n"
                 << "OS boot  time-out " << settings.os_boot_timeout << " s, " << int(settings.os_boot_retries) << " retries\n"
                 << "method   " << (settings.retry_method == 1 ? "power cycle" : "reboot") << "\n";
            return 0;
        });
    });
}

void add_system_information(CLI::App &app, const OutputOptions &options) {
    static std::vector<std::string> entries;
    CLI::App *command = app.add_subcommand("system-info", "the unit's four system information entries");
    command->add_option("--set", entries, "ENTRY=TEXT (entry 0 to 3, at most 25 characters); repeatable")->allow_extra_args(false);
    command->callback([&options] {
        std::vector<std::pair<int, std::string>> changes;
        for (const std::string &entry : entries) {
            const auto equals = entry.find('=');
            if (equals != 1 || entry[0] < '0' || entry[0] > '3') throw CLI::ValidationError("--set takes ENTRY=TEXT, ENTRY 0 to 3");
            if (entry.size() - 2 > 25) throw CLI::ValidationError("entry texts hold at most 25 characters");
            changes.emplace_back(entry[0] - '0', entry.substr(2));
        }
        with_unit(options, [&changes](json &document, std::ostringstream &text) {
            MgxSystemInformation info{};
            if (!changes.empty()) {
                for (const auto &[number, value] : changes) {
                    SystemInformationEntry &entry = info.entries[system_information_slot[number]];
                    entry.length = static_cast<std::uint8_t>(value.size());
                    std::memcpy(entry.text, value.data(), value.size());
                }
                if (std::int32_t status = HCXMgxInterface(&info, sizeof info, nullptr, 0, 21)) return status;
            }
            if (std::int32_t status = HCXMgxInterface(nullptr, 0, &info, sizeof info, 20)) return status;
            json shown = json::array();
            for (int number = 0; number < 4; ++number) {
                const SystemInformationEntry &entry = info.entries[system_information_slot[number]];
                const std::string value(entry.text, std::min<std::size_t>(entry.length, sizeof entry.text));
                shown.push_back(value);
                text << "entry " << number << "  " << value << "\n";
            }
            document["entries"] = shown;
            document["check_code"] = std::string(info.check_code, 2);
            text << "check code " << std::string(info.check_code, 2) << "\n";
            return 0;
        });
    });
}

void add_store(CLI::App &app, const OutputOptions &options) {
    CLI::App *store = app.add_subcommand("store", "the unit's 506-byte store area");
    store->require_subcommand(1);
    static std::uint16_t offset = 0, length = 0;
    static std::string bytes;
    CLI::App *read = store->add_subcommand("read", "read OFFSET LENGTH");
    read->add_option("offset", offset, "0 to 505")->required()->check(CLI::Range(0, 505));
    read->add_option("length", length, "bytes")->required()->check(CLI::Range(0, 506));
    read->callback([&options] {
        if (offset + length > 506) throw CLI::ValidationError("offset + length may not exceed 506");
        with_unit(options, [](json &document, std::ostringstream &text) {
            MgxStoreBlock in{offset, length, {}}, out{};
            if (std::int32_t status = HCXMgxInterface(&in, sizeof in, &out, sizeof out, 22)) return status;
            const std::string shown = text::to_hex(std::span(out.data, out.length));
            document["offset"] = out.offset;
            document["data"] = shown;
            text << out.length << " bytes at " << out.offset << ": " << shown << "\n";
            return 0;
        });
    });
    CLI::App *write = store->add_subcommand("write", "write OFFSET HEX-BYTES");
    write->add_option("offset", offset, "0 to 505")->required()->check(CLI::Range(0, 505));
    write->add_option("bytes", bytes, "hexadecimal bytes")->required();
    write->callback([&options] {
        const std::vector<std::uint8_t> data = parse_hex(bytes, 506, "the bytes");
        if (offset + data.size() > 506) throw CLI::ValidationError("offset + length may not exceed 506");
        with_unit(options, [&data](json &document, std::ostringstream &text) {
            MgxStoreBlock in{offset, static_cast<std::uint16_t>(data.size()), {}};
            std::memcpy(in.data + offset, data.data(), data.size());  // indexed by store position
            std::uint16_t written = 0;
            if (std::int32_t status = HCXMgxInterface(&in, sizeof in, &written, sizeof written, 23)) return status;
            document["written"] = written;
            text << written << " bytes written\n";
            return 0;
        });
    });
}

void add_fru(CLI::App &app, const OutputOptions &options) {
    CLI::App *fru = app.add_subcommand("fru", "FRU areas: a standard FRU device, or the unit's own store with --unit");
    fru->require_subcommand(1);
    static std::uint8_t device = 0, count = 0;
    static std::uint16_t offset = 0;
    static bool unit_store = false;
    static std::string bytes;
    fru->add_flag("--unit", unit_store, "the unit's own FRU store");
    fru->fallthrough();
    CLI::App *info = fru->add_subcommand("info", "area size and access of DEVICE");
    info->add_option("device", device, "FRU device id")->required();
    info->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            std::int32_t arguments[2] = {device, unit_store ? 1 : 0};
            MgxFruAreaInfo area{};
            if (std::int32_t status = HCXMgxInterface(arguments, sizeof arguments, &area, sizeof area, 2)) return status;
            document["area_size"] = area.area_size;
            document["word_access"] = area.word_access == 1;
            text << "area size " << area.area_size << " bytes, " << (area.word_access ? "word" : "byte") << " access\n";
            return 0;
        });
    });
    CLI::App *read = fru->add_subcommand("read", "read DEVICE OFFSET COUNT");
    read->add_option("device", device, "FRU device id")->required();
    read->add_option("offset", offset, "offset in the area")->required();
    read->add_option("count", count, "bytes, at most 24")->required()->check(CLI::Range(1, 24));
    read->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            MgxFruRequest request{unit_store ? 1 : 0, device, offset, count};
            MgxFruData data{};
            if (std::int32_t status = HCXMgxInterface(&request, sizeof request, &data, sizeof data, 3)) return status;
            const std::string shown = text::to_hex(std::span(data.data, std::min<std::size_t>(data.count, sizeof data.data)));
            document["data"] = shown;
            text << int(data.count) << " bytes: " << shown << "\n";
            return 0;
        });
    });
    CLI::App *write = fru->add_subcommand("write", "write DEVICE OFFSET HEX-BYTES (at most 24)");
    write->add_option("device", device, "FRU device id")->required();
    write->add_option("offset", offset, "offset in the area")->required();
    write->add_option("bytes", bytes, "hexadecimal bytes")->required();
    write->callback([&options] {
        const std::vector<std::uint8_t> payload = parse_hex(bytes, 24, "the bytes");
        with_unit(options, [&payload](json &document, std::ostringstream &text) {
            MgxFruData data{unit_store ? 1 : 0, device, offset, static_cast<std::uint8_t>(payload.size()), {}};
            std::memcpy(data.data, payload.data(), payload.size());
            std::uint8_t written = 0;
            if (std::int32_t status = HCXMgxInterface(&data, sizeof data, &written, 1, 4)) return status;
            document["written"] = written;
            text << int(written) << " bytes written\n";
            return 0;
        });
    });
}

void add_fans(CLI::App &app, const OutputOptions &options) {
    CLI::App *fan = app.add_subcommand("fan", "fan control and status");
    fan->require_subcommand(1);
    static std::uint8_t number = 0;
    static std::uint16_t value = 0;
    CLI::App *set = fan->add_subcommand("set", "set FAN VALUE (control value, 0 to 65535)");
    set->add_option("fan", number, "fan number")->required();
    set->add_option("value", value, "control value")->required();
    set->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            MgxFanControl control{number, value, 0};
            std::uint8_t code = 0;
            std::int32_t status = HCXMgxInterface(&control, sizeof control, &code, 1, 5);
            document["completion_code"] = code;
            if (status == 0) text << "fan " << int(number) << " set to " << value << "\n";
            return status;
        });
    });
    CLI::App *status_command = fan->add_subcommand("status", "status FAN");
    status_command->add_option("fan", number, "fan number")->required();
    status_command->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            std::int32_t fan_number = number, state = 0;
            std::int32_t status = HCXMgxInterface(&fan_number, 4, &state, 4, 6);
            if (status == 0) {
                document["fan_status"] = state;
                text << "fan " << int(number) << " status " << state << "\n";
            }
            return status;
        });
    });
}

void add_panel(CLI::App &app, const OutputOptions &options) {
    CLI::App *panel = app.add_subcommand("panel", "the front panel's LCD lines and LEDs");
    panel->require_subcommand(1);
    panel->add_subcommand("read", "LCD lines, LEDs and the panel's abilities")->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            MgxPanelState state{};
            if (std::int32_t status = HCXMgxInterface(nullptr, 0, &state, sizeof state, 8)) return status;
            document["lines"] = {std::string(state.line[0], 16), std::string(state.line[1], 16)};
            document["flags"] = state.flags;
            document["lcd_present"] = state.flags[1] != 0;
            document["os_boot_monitoring"] = state.flags[3] != 0;
            text << "line 0  [" << std::string(state.line[0], 16) << "]\nline 1  [" << std::string(state.line[1], 16) << "]\n"
                 << "LCD panel " << (state.flags[1] ? "present" : "absent") << ", OS boot monitoring "
                 << (state.flags[3] ? "supported" : "not supported") << "\nLEDs    " << state.flags[5] << state.flags[6]
                 << state.flags[7] << "\n";
            return 0;
        });
    });
    static MgxPanelControl control{};
    static std::string panel_text;
    static int display_mode = 0, row = 0, column = 0;
    CLI::App *set = panel->add_subcommand("set", "LEDs and, with --text, an LCD line");
    set->add_option("--device", control.device, "device byte");
    set->add_flag("--enable", control.enable, "enable");
    set->add_option("--mode", control.mode, "mode (its low 3 bits)")->check(CLI::Range(0, 7));
    set->add_option("--pattern", control.pattern, "pattern bits")->check(CLI::Range(0, 31));
    set->add_option("--parameter", control.parameter, "parameter, below 32")->check(CLI::Range(0, 31));
    set->add_option("--text", panel_text, "a text of at most 16 characters for the LCD");
    set->add_option("--row", row, "LCD line 0 or 1")->check(CLI::Range(0, 1));
    set->add_option("--column", column, "first column, 0 to 15")->check(CLI::Range(0, 15));
    set->add_option("--display-mode", display_mode, "display mode 0 to 7 (4: no text)")->check(CLI::Range(0, 7));
    set->add_option("--attribute", control.display_attribute, "display attribute bits")->check(CLI::Range(0, 15));
    set->callback([&options, set] {
        if (panel_text.size() > 16) throw CLI::ValidationError("the LCD text holds at most 16 characters");
        const bool with_display = set->count("--text") || set->count("--display-mode");
        control.with_display = with_display ? 1 : 0;
        control.display_mode = display_mode;
        control.text_length = static_cast<std::uint8_t>(panel_text.size());
        control.row = static_cast<std::uint8_t>(row);
        control.column = static_cast<std::uint8_t>(column);
        std::memcpy(control.text, panel_text.data(), panel_text.size());
        with_unit(options, [](json &, std::ostringstream &text) {
            std::int32_t status = HCXMgxInterface(&control, sizeof control, nullptr, 0, 7);
            if (status == 0) text << "panel set\n";
            return status;
        });
    });
}

}  // namespace

void add_settings_commands(CLI::App &app, const OutputOptions &options) {
    add_safe_mode(app, options);
    add_boot_monitoring(app, options);
    add_system_information(app, options);
    add_store(app, options);
    add_fru(app, options);
    add_fans(app, options);
    add_panel(app, options);
}

}  // namespace mgx::tool
