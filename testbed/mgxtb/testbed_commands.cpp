#include "testbed_commands.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "cli/input_parsing.h"
#include "control_client.h"
#include "testbed_descriptions.h"
#include "text/hex.h"
#include "text/utf8.h"

namespace mgx::testbed {

namespace control_key = control::key;
using namespace mgx::cli;
using nlohmann::json;

namespace {

// Sends `request` with the arguments `arguments` builds when the command runs, and shows the
// server's status that it answers.
void send_showing_status(CLI::App &command, const OutputOptions &options, const char *request,
                         std::function<json()> arguments = {}) {
    command.callback([&options, request, arguments] {
        const json status = control_request(request, arguments ? arguments() : json::object());
        report(options, status, describe_status(status));
    });
}

std::string file_as_hex(const std::string &path) {
    std::ifstream stream(text::path_of(path), std::ios::binary);
    if (!stream && path.starts_with('/')) {
        std::string windows_path = "Z:" + path;
        std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
        throw std::runtime_error("cannot read " + path +
                                 ": a Linux path is given to the prefix's programs through its drive Z:, as \"" + windows_path +
                                 "\"");
    }
    if (!stream) throw std::runtime_error("cannot read " + path);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    return text::to_hex(bytes);
}

void define_profiles(CLI::App &command, const OutputOptions &options) {
    command.callback([&options] {
        const json reply = control_request(control::profiles);
        std::ostringstream text;
        for (const json &profile : reply[control_key::profiles])
            text << profile.value(control_key::name, "") << "\t"
                 << profile.value(control_key::description, profile.value(control_key::error, "")) << "\n";
        report(options, reply[control_key::profiles], text.str());
    });
}

void define_use(CLI::App &command, const OutputOptions &options) {
    auto profile = std::make_shared<std::string>();
    command.add_option("profile", *profile, "profile name, e.g. acer")->required();
    send_showing_status(command, options, control::use_profile, [profile] { return json{{control_key::profile, *profile}}; });
}

void define_unit(CLI::App &command, const OutputOptions &options) {
    struct UnitOptions {
        std::optional<std::uint32_t> hours;
        std::optional<bool> fixed, silent;
    };
    auto wanted = std::make_shared<UnitOptions>();
    add_number(&command, "--running-hours", wanted->hours, "set the running-time counter");
    command.add_option("--fixed", wanted->fixed, "true: the counter stands still; false: it advances with time")
        ->check(CLI::IsMember({"true", "false"}));
    command.add_option("--silent", wanted->silent, "true: the unit answers nothing on any path")
        ->check(CLI::IsMember({"true", "false"}));
    send_showing_status(command, options, control::set_unit, [wanted] {
        json fields = json::object();
        if (wanted->hours) fields[control_key::running_hours] = *wanted->hours;
        if (wanted->fixed) fields[control_key::running_hours_fixed] = *wanted->fixed;
        if (wanted->silent) fields[control_key::silent] = *wanted->silent;
        return json{{control_key::unit, fields}};
    });
}

void define_fault_add(CLI::App &command, const OutputOptions &options) {
    struct FaultOptions {
        std::string kind, device = "any";
        std::optional<int> netfn, command_code, count, completion_code, skip, address, ms;
    };
    auto fault = std::make_shared<FaultOptions>();
    command
        .add_option("kind", fault->kind,
                    "completion-code, refuse-lock, fail-write, fail-read, bad-checksum, bad-header, "
                    "bad-status, counter-stuck, short-answer, silence, delay or driver-start-failure")
        ->required();
    command.add_option("--device", fault->device, "imb, bmc, smbus or any")->capture_default_str();
    add_number(&command, "--netfn", fault->netfn, "only requests with this network function (0x3a or 58)", 0, 63);
    add_number(&command, "--command", fault->command_code, "only requests with this command code", 0, 255);
    add_number(&command, "--address", fault->address,
               "only requests to this SMBus device address: 0x11 the unit, a sensor owner's ID shifted right by one "
               "(0x16: the sensors of owner 0x2c), 0x18 the LCD panel controller",
               0, 255);
    add_number(&command, "--count", fault->count, "only the next N matching requests (default: always)", 1, 1000000);
    add_number(&command, "--code", fault->completion_code, "completion code of a completion-code fault", 0, 255);
    add_number(&command, "--skip", fault->skip, "let this many matching requests through first", 0, 1000000);
    add_number(&command, "--ms", fault->ms, "milliseconds a delay fault holds each answer back", 1, 600000);
    command.callback([&options, fault] {
        json spec = {{control_key::kind, fault->kind}, {control_key::device, fault->device}};
        const std::pair<const char *, const std::optional<int> &> matches[] = {
            {control_key::netfn, fault->netfn}, {control_key::command, fault->command_code},
            {control_key::count, fault->count}, {control_key::code, fault->completion_code},
            {control_key::skip, fault->skip},   {control_key::address, fault->address},
            {control_key::ms, fault->ms}};
        for (const auto &[name, value] : matches)
            if (value) spec[name] = *value;
        const json reply = control_request(control::add_fault, {{control_key::fault, spec}});
        report(options, reply[control_key::faults], reply[control_key::faults].dump(2) + "\n");
    });
}

void define_fault_list(CLI::App &command, const OutputOptions &options) {
    command.callback([&options] {
        const json reply = control_request(control::faults);
        report(options, reply[control_key::faults], reply[control_key::faults].dump(2) + "\n");
    });
}

void define_log(CLI::App &command, const OutputOptions &options) {
    auto since = std::make_shared<std::uint64_t>(0);
    add_number(&command, "--since", *since, "only entries from this sequence number on", 0);
    command.callback([&options, since] {
        const json reply = control_request(control::log, {{control_key::since, *since}});
        report(options, reply[control_key::entries], describe_log(reply[control_key::entries]));
    });
}

void define_sel_add(CLI::App &command, const OutputOptions &options) {
    auto records = std::make_shared<std::vector<std::string>>();
    command.add_option("records", *records, "16 hexadecimal bytes each, one argument a record")->required();
    command.callback([&options, records] {
        json reply;
        for (const std::string &record : *records) reply = control_request(control::add_sel, {{control_key::data, record}});
        report(options, reply, records->size() == 1 ? "record added\n" : std::to_string(records->size()) + " records added\n");
    });
}

void define_sdr_load(CLI::App &command, const OutputOptions &options) {
    auto file = std::make_shared<std::string>();
    command.add_option("file", *file, "repository dump")->required();
    command.callback([&options, file] {
        const json platform = control_request(control::set_sdr, {{control_key::dump, file_as_hex(*file)}})[control_key::platform];
        report(options, platform, std::to_string(platform.value(control_key::repository_records, 0u)) + " records loaded\n");
    });
}

void define_sdr_link(CLI::App &command, const OutputOptions &options) {
    auto link = std::make_shared<std::pair<std::uint16_t, std::uint16_t>>();
    add_number(&command, "from", link->first, "the record whose next-record ID changes")->required();
    add_number(&command, "to", link->second, "the next-record ID it answers (0xffff: the last record)")->required();
    command.callback([&options, link] {
        const auto [from, to] = *link;
        const json status = control_request(control::link_sdr, {{control_key::from, from}, {control_key::to, to}});
        report(options, status[control_key::platform],
               "record " + std::to_string(from) + " now names " + std::to_string(to) + " as the next\n");
    });
}

void define_fru_load(CLI::App &command, const OutputOptions &options) {
    auto file = std::make_shared<std::string>();
    command.add_option("file", *file, "FRU image")->required();
    command.callback([&options, file] {
        const json platform =
            control_request(control::set_fru, {{control_key::image, file_as_hex(*file)}})[control_key::platform];
        report(options, platform, std::to_string(platform.value(control_key::fru_device_bytes, 0u)) + " bytes loaded\n");
    });
}

void define_sensor(CLI::App &command, const OutputOptions &options) {
    struct SensorOptions {
        int owner = 0, number = 0;
        std::optional<int> raw, flags, states;
    };
    auto sensor = std::make_shared<SensorOptions>();
    add_number(&command, "owner", sensor->owner, "its owner ID (0x20: the controller)", 0, 255)->required();
    add_number(&command, "number", sensor->number, "its sensor number", 0, 255)->required();
    add_number(&command, "--raw", sensor->raw, "the raw reading", 0, 255);
    add_number(&command, "--flags", sensor->flags, "the flags byte (0x40: scanning enabled)", 0, 255);
    add_number(&command, "--states", sensor->states, "the state bits", 0, 255);
    command.callback([&options, sensor] {
        json fields = {{control_key::owner, sensor->owner}, {control_key::number, sensor->number}};
        const std::pair<const char *, const std::optional<int> &> readings[] = {
            {control_key::raw, sensor->raw}, {control_key::flags, sensor->flags}, {control_key::states, sensor->states}};
        for (const auto &[name, value] : readings)
            if (value) fields[name] = *value;
        report(options, control_request(control::set_sensor, {{control_key::sensor, fields}}), "sensor set\n");
    });
}

void define_chassis(CLI::App &command, const OutputOptions &options) {
    auto status = std::make_shared<std::string>();
    command.add_option("status", *status, "1 to 4 hexadecimal bytes")->required();
    command.callback([&options, status] {
        report(options, control_request(control::set_chassis, {{control_key::chassis_status, *status}}), "chassis status set\n");
    });
}

void define_lcd(CLI::App &command, const OutputOptions &options) {
    struct PanelOptions {
        std::optional<std::uint32_t> write_counter;
        std::vector<std::string> pages;  // "00 10=TEXT"
    };
    auto wanted = std::make_shared<PanelOptions>();
    add_number(&command, "--write-counter", wanted->write_counter, "set the write counter (65535: the next write wraps it)", 0,
               65535);
    command.add_option("--page", wanted->pages, "set a display page: \"SELECTOR=TEXT\", e.g. \"00 10=System ready\"");
    command.callback([&options, wanted] {
        json fields = json::object();
        if (wanted->write_counter) fields[control_key::write_counter] = *wanted->write_counter;
        for (const std::string &page : wanted->pages) {
            const auto equals = page.find('=');
            if (equals == std::string::npos) throw std::runtime_error("a page is SELECTOR=TEXT, e.g. \"00 10=System ready\"");
            fields[control_key::pages][page.substr(0, equals)] = page.substr(equals + 1);
        }
        const json status = fields.empty() ? control_request(control::status)
                                           : control_request(control::set_lcd_panel, {{control_key::lcd_panel, fields}});
        const json &state = status[control_key::lcd_panel];
        report(options, state, state.is_null() ? "this machine has no LCD panel controller\n" : state.dump(2) + "\n");
    });
}

void define_advance_clock(CLI::App &command, const OutputOptions &options) {
    auto ms = std::make_shared<std::int64_t>(0);
    add_number(&command, "ms", *ms, "milliseconds", 0)->required();
    command.callback([&options, ms] {
        report(options, control_request(control::advance_clock, {{control_key::ms, *ms}}), "clock advanced\n");
    });
}

// A command of mgxtb (under its group when `group` is set). It is defined by
// `define`, or it sends `request` without arguments and then says `done`, or shows the status
// the server answers when there is no `done`.
struct TestbedGroup {
    const char *name;
    const char *description;
};

constexpr TestbedGroup fault_group{"fault", "inject faults"}, sel_group{"sel", "the unit's event log"},
    sdr_group{"sdr", "the sensor data record repository"}, fru_group{"fru", "FRU device 0"};

struct TestbedCommand {
    const TestbedGroup *group;
    const char *name;
    const char *description;
    void (*define)(CLI::App &, const OutputOptions &) = nullptr;
    const char *request = nullptr;
    const char *done = nullptr;
};

const TestbedCommand commands[] = {
    {nullptr, "status", "profile, unit state, faults and log size", nullptr, control::status},
    {nullptr, "profiles", "machine profiles the server knows", define_profiles},
    {nullptr, "use", "become another machine (fresh unit, no faults, empty log)", define_use},
    {nullptr, "reset", "fresh unit of the current profile, no faults, empty log", nullptr, control::reset},
    {nullptr, "unit", "change the unit's state", define_unit},
    {&fault_group, "add", "add a fault", define_fault_add},
    {&fault_group, "clear", "remove every fault", nullptr, control::clear_faults, "faults cleared\n"},
    {&fault_group, "list", "faults in force", define_fault_list},
    {nullptr, "log", "the exchange log: every device request with its time", define_log},
    {nullptr, "clear-log", "empty the exchange log", nullptr, control::clear_log, "log cleared\n"},
    {&sel_group, "add", "add records of 16 hexadecimal bytes each (their record IDs are set)", define_sel_add},
    {&sel_group, "clear", "empty the event log", nullptr, control::clear_sel, "event log cleared\n"},
    {&sdr_group, "load", "replace it with a file as `ipmitool sdr dump` writes it (until reset)", define_sdr_load},
    {&sdr_group, "link", "make record FROM (0: the first) name TO as the record after it, as a corrupt repository may",
     define_sdr_link},
    {&fru_group, "load", "replace its contents with an image in the IPMI FRU storage format", define_fru_load},
    {nullptr, "sensor", "set what a sensor reads: OWNER NUMBER", define_sensor},
    {nullptr, "chassis", "set the Get Chassis Status answer, e.g. \"01 02 00\"", define_chassis},
    {nullptr, "lcd", "the LCD panel controller at SMBus address 0x18: its state, or change it", define_lcd},
    {nullptr, "advance-clock", "move the server's clock forward", define_advance_clock},
};

void define(CLI::App &command, const TestbedCommand &row, const OutputOptions &options) {
    if (row.define) return row.define(command, options);
    if (!row.done) return send_showing_status(command, options, row.request);
    command.callback([&options, request = row.request, done = row.done] { report(options, control_request(request), done); });
}

}  // namespace

void add_testbed_commands(CLI::App &app, const OutputOptions &options) {
    std::map<const TestbedGroup *, CLI::App *> made;  // each group where its first command stands
    for (const TestbedCommand &row : commands) {
        CLI::App *parent = &app;
        if (row.group) {
            CLI::App *&group = made[row.group];
            if (!group) {
                group = app.add_subcommand(row.group->name, row.group->description);
                group->require_subcommand(1);
            }
            parent = group;
        }
        define(*parent->add_subcommand(row.name, row.description), row, options);
    }
}

}  // namespace mgx::testbed
