#include "testbed_commands.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "control_client.h"
#include "input_parsing.h"
#include "text/hex.h"

namespace mgx::tool {

using nlohmann::json;
using testbed::control_request;

namespace {

std::string describe_status(const json &status) {
    std::ostringstream text;
    const json &profile = status["profile"];
    text << "profile      " << profile.value("name", "") << " - " << profile.value("description", "") << "\n";
    if (profile.contains("baseboard"))
        text << "baseboard    " << profile["baseboard"].value("manufacturer", "") << " / "
             << profile["baseboard"].value("product", "") << "\n";
    else
        text << "baseboard    (no SMBIOS)\n";
    text << "devices     ";
    for (const json &device : profile["devices"]) text << " " << device.get<std::string>();
    text << "\n";
    const json &unit = status["unit"];
    text << "unit         running hours " << unit.value("running_hours", 0u)
         << (unit.value("running_hours_fixed", false) ? " (fixed)" : " (advancing)")
         << (unit.value("silent", false) ? ", silent" : ", answering") << "\n";
    text << "device id    " << status.value("device_id", "") << "\n";
    const json &platform = status["platform"];
    text << "repository   " << platform.value("repository_records", 0u) << " records; FRU device 0: "
         << platform.value("fru_device_bytes", 0u) << " bytes" << (platform.value("fru_word_access", false) ? " (by words)" : "")
         << "; chassis status " << platform.value("chassis_status", "") << "\n";
    text << "lcd panel    " << (status["lcd_panel"].is_null() ? std::string("none at SMBus address 0x18")
                                                                : "at SMBus address 0x18, " + std::to_string(status["lcd_panel"].value("rci_nodes", 0u)) + " RCI nodes")
         << "\n";
    const json &lock = status["smbus"]["lock"];
    text << "smbus lock   " << (lock.is_null() ? std::string("free") : lock.value("owner", "")) << "\n";
    text << "faults       " << status["faults"].size() << "\n";
    for (const json &fault : status["faults"]) text << "  " << fault.dump() << "\n";
    text << "exchanges    " << status["log"].value("entries", 0u) << " logged\n";
    text << "state file   " << status.value("state_file", "") << "\n";
    if (const json &unusable = status["unusable_state"]; unusable.is_object())
        text << "NOTE         the remembered state was not usable (" << unusable.value("problem", "") << ");\n"
             << "             it is kept as " << unusable.value("kept_as", "") << " and the server started afresh\n";
    return text.str();
}

std::string describe_log(const json &entries) {
    std::ostringstream text;
    for (const json &entry : entries) {
        text << "#" << entry.value("sequence", 0u) << " " << entry.value("time_ms", 0LL) << " " << entry.value("device", "")
             << " " << entry.value("code", "") << " pid " << entry.value("process_id", 0u) << " -> " << entry.value("status", "")
             << "\n    in  " << entry.value("input", "") << "\n    out " << entry.value("output", "(" + std::to_string(entry.value("output_length", 0u)) + " bytes)")
             << "\n    " << entry.value("note", "") << "\n";
    }
    return text.str();
}

void on_status(CLI::App *command, const OutputOptions &options, const std::string &request, std::function<json()> arguments = {}) {
    command->callback([&options, request, arguments] {
        json status = control_request(request, arguments ? arguments() : json::object());
        report(options, status, describe_status(status));
    });
}

struct UseOptions {
    std::string profile_name;
};

struct UnitOptions {
    std::optional<std::uint32_t> hours;
    std::optional<bool> fixed, silent;
};

struct FaultOptions {
    std::string kind, device = "any";
    std::optional<int> netfn, command_code, count, completion_code, skip, address;
};

struct PanelOptions {
    std::optional<std::uint32_t> write_counter;
    std::vector<std::string> pages;  // "00 10=TEXT"
};

struct PlatformOptions {
    std::string file, status;
    int owner = 0, number = 0;
    std::uint16_t link_from = 0, link_to = 0;
    std::optional<int> raw, flags, states;
};

std::string file_as_hex(const std::string &path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream && path.starts_with('/')) {
        std::string windows_path = "Z:" + path;
        std::replace(windows_path.begin(), windows_path.end(), '/', '\\');
        throw std::runtime_error("cannot read " + path + ": a Linux path is given to the prefix's programs through its drive Z:, as \"" +
                                 windows_path + "\"");
    }
    if (!stream) throw std::runtime_error("cannot read " + path);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    return text::to_hex(bytes);
}

json panel_fields(const PanelOptions &wanted) {
    json fields = json::object();
    if (wanted.write_counter) fields["write_counter"] = *wanted.write_counter;
    for (const std::string &page : wanted.pages) {
        const auto equals = page.find('=');
        if (equals == std::string::npos) throw std::runtime_error("a page is SELECTOR=TEXT, e.g. \"00 10=System ready\"");
        fields["pages"][page.substr(0, equals)] = page.substr(equals + 1);
    }
    return fields;
}

struct LogOptions {
    std::uint64_t since = 0;
};

struct EventOptions {
    std::string record;
};

struct AdvanceClockOptions {
    std::int64_t ms = 0;
};

}  // namespace

void add_testbed_commands(CLI::App &app, const OutputOptions &options) {
    CLI::App *testbed = app.add_subcommand("testbed", "the virtual server that plays the hardware");
    testbed->require_subcommand(1);

    on_status(testbed->add_subcommand("status", "profile, unit state, faults and log size"), options, "status");

    testbed->add_subcommand("profiles", "machine profiles the server knows")->callback([&options] {
        json reply = control_request(mgx::testbed::control::profiles);
        std::ostringstream text;
        for (const json &profile : reply["profiles"])
            text << profile.value("name", "") << "\t" << profile.value("description", profile.value("error", "")) << "\n";
        report(options, reply["profiles"], text.str());
    });

    auto use_options = std::make_shared<UseOptions>();
    CLI::App *use = testbed->add_subcommand("use", "become another machine (fresh unit, no faults, empty log)");
    use->add_option("profile", use_options->profile_name, "profile name, e.g. acer")->required();
    on_status(use, options, "use-profile", [use_options] { return json{{"profile", use_options->profile_name}}; });

    on_status(testbed->add_subcommand("reset", "fresh unit of the current profile, no faults, empty log"), options, "reset");

    auto unit_options = std::make_shared<UnitOptions>();
    CLI::App *unit = testbed->add_subcommand("unit", "change the unit's state");
    add_number(unit, "--running-hours", unit_options->hours, "set the running-time counter");
    unit->add_option("--fixed", unit_options->fixed, "true: the counter stands still; false: it advances with time")
        ->check(CLI::IsMember({"true", "false"}));
    unit->add_option("--silent", unit_options->silent, "true: the unit answers nothing on any path")->check(CLI::IsMember({"true", "false"}));
    on_status(unit, options, "set-unit", [unit_options] {
        const UnitOptions &wanted = *unit_options;
        json fields = json::object();
        if (wanted.hours) fields["running_hours"] = *wanted.hours;
        if (wanted.fixed) fields["running_hours_fixed"] = *wanted.fixed;
        if (wanted.silent) fields["silent"] = *wanted.silent;
        return json{{"unit", fields}};
    });

    auto fault = std::make_shared<FaultOptions>();
    CLI::App *faults = testbed->add_subcommand("fault", "inject faults");
    faults->require_subcommand(1);
    CLI::App *add = faults->add_subcommand("add", "add a fault");
    add->add_option("kind", fault->kind, "completion-code, refuse-lock, fail-write, fail-read, bad-checksum, bad-header, "
                                  "bad-status, counter-stuck, short-answer, silence or driver-start-failure")
        ->required();
    add->add_option("--device", fault->device, "imb, bmc, smbus or any")->capture_default_str();
    add_number(add, "--netfn", fault->netfn, "only requests with this network function (0x3a or 58)", 0, 63);
    add_number(add, "--command", fault->command_code, "only requests with this command code", 0, 255);
    add_number(add, "--address", fault->address, "only requests to this SMBus device address (0x18: the LCD panel controller)", 0, 255);
    add_number(add, "--count", fault->count, "only the next N matching requests (default: always)", 1, 1000000);
    add_number(add, "--code", fault->completion_code, "completion code of a completion-code fault", 0, 255);
    add_number(add, "--skip", fault->skip, "let this many matching requests through first", 0, 1000000);
    add->callback([&options, fault] {
        json spec = {{"kind", fault->kind}, {"device", fault->device}};
        if (fault->netfn) spec["netfn"] = *fault->netfn;
        if (fault->command_code) spec["command"] = *fault->command_code;
        if (fault->count) spec["count"] = *fault->count;
        if (fault->completion_code) spec["code"] = *fault->completion_code;
        if (fault->skip) spec["skip"] = *fault->skip;
        if (fault->address) spec["address"] = *fault->address;
        json reply = control_request(mgx::testbed::control::add_fault, {{"fault", spec}});
        report(options, reply["faults"], reply["faults"].dump(2) + "\n");
    });
    faults->add_subcommand("clear", "remove every fault")->callback([&options] {
        report(options, control_request(mgx::testbed::control::clear_faults), "faults cleared\n");
    });
    faults->add_subcommand("list", "faults in force")->callback([&options] {
        json reply = control_request(mgx::testbed::control::faults);
        report(options, reply["faults"], reply["faults"].dump(2) + "\n");
    });

    auto log_options = std::make_shared<LogOptions>();
    CLI::App *log = testbed->add_subcommand("log", "the exchange log: every device request with its time");
    add_number(log, "--since", log_options->since, "only entries from this sequence number on", 0);
    log->callback([&options, log_options] {
        json reply = control_request(mgx::testbed::control::log, {{"since", log_options->since}});
        report(options, reply["entries"], describe_log(reply["entries"]));
    });
    testbed->add_subcommand("clear-log", "empty the exchange log")->callback([&options] {
        report(options, control_request(mgx::testbed::control::clear_log), "log cleared\n");
    });

    auto sel_options = std::make_shared<EventOptions>();
    CLI::App *sel = testbed->add_subcommand("sel", "the unit's event log");
    sel->require_subcommand(1);
    CLI::App *add_event = sel->add_subcommand("add", "add a record of 16 hexadecimal bytes (its record ID is set)");
    add_event->add_option("record", sel_options->record, "16 hexadecimal bytes")->required();
    add_event->callback([&options, sel_options] {
        report(options, control_request(mgx::testbed::control::add_sel, {{"data", sel_options->record}}), "record added\n");
    });
    sel->add_subcommand("clear", "empty the event log")->callback([&options] {
        report(options, control_request(mgx::testbed::control::clear_sel), "event log cleared\n");
    });

    auto platform = std::make_shared<PlatformOptions>();
    CLI::App *sdr = testbed->add_subcommand("sdr", "the sensor data record repository");
    sdr->require_subcommand(1);
    CLI::App *load_sdr = sdr->add_subcommand("load", "replace it with a file as `ipmitool sdr dump` writes it (until reset)");
    load_sdr->add_option("file", platform->file, "repository dump")->required();
    load_sdr->callback([&options, platform] {
        const json status = control_request(mgx::testbed::control::set_sdr, {{"dump", file_as_hex(platform->file)}});
        report(options, status["platform"], std::to_string(status["platform"].value("repository_records", 0u)) + " records loaded\n");
    });
    CLI::App *link_sdr =
        sdr->add_subcommand("link", "make record FROM (0: the first) name TO as the record after it, as a corrupt repository may");
    add_number(link_sdr, "from", platform->link_from, "the record whose next-record ID changes")->required();
    add_number(link_sdr, "to", platform->link_to, "the next-record ID it answers (0xffff: the last record)")->required();
    link_sdr->callback([&options, platform] {
        const json status = control_request(mgx::testbed::control::link_sdr, {{"from", platform->link_from}, {"to", platform->link_to}});
        report(options, status["platform"], "record " + std::to_string(platform->link_from) + " now names " +
                                                  std::to_string(platform->link_to) + " as the next\n");
    });
    CLI::App *fru = testbed->add_subcommand("fru", "FRU device 0");
    fru->require_subcommand(1);
    CLI::App *load_fru = fru->add_subcommand("load", "replace its contents with an image in the IPMI FRU storage format");
    load_fru->add_option("file", platform->file, "FRU image")->required();
    load_fru->callback([&options, platform] {
        const json status = control_request(mgx::testbed::control::set_fru, {{"image", file_as_hex(platform->file)}});
        report(options, status["platform"], std::to_string(status["platform"].value("fru_device_bytes", 0u)) + " bytes loaded\n");
    });
    CLI::App *sensor = testbed->add_subcommand("sensor", "set what a sensor reads: OWNER NUMBER");
    add_number(sensor, "owner", platform->owner, "its owner ID (0x20: the controller)", 0, 255)->required();
    add_number(sensor, "number", platform->number, "its sensor number", 0, 255)->required();
    add_number(sensor, "--raw", platform->raw, "the raw reading", 0, 255);
    add_number(sensor, "--flags", platform->flags, "the flags byte (0x40: scanning enabled)", 0, 255);
    add_number(sensor, "--states", platform->states, "the state bits", 0, 255);
    sensor->callback([&options, platform] {
        json fields = {{"owner", platform->owner}, {"number", platform->number}};
        if (platform->raw) fields["raw"] = *platform->raw;
        if (platform->flags) fields["flags"] = *platform->flags;
        if (platform->states) fields["states"] = *platform->states;
        report(options, control_request(mgx::testbed::control::set_sensor, {{"sensor", fields}}), "sensor set\n");
    });
    CLI::App *chassis = testbed->add_subcommand("chassis", "set the Get Chassis Status answer, e.g. \"01 02 00\"");
    chassis->add_option("status", platform->status, "1 to 4 hexadecimal bytes")->required();
    chassis->callback([&options, platform] {
        report(options, control_request(mgx::testbed::control::set_chassis, {{"status", platform->status}}), "chassis status set\n");
    });

    auto panel_options = std::make_shared<PanelOptions>();
    CLI::App *panel = testbed->add_subcommand("lcd", "the LCD panel controller at SMBus address 0x18: its state, or change it");
    add_number(panel, "--write-counter", panel_options->write_counter, "set the write counter (65535: the next write wraps it)", 0, 65535);
    panel->add_option("--page", panel_options->pages, "set a display page: \"SELECTOR=TEXT\", e.g. \"00 10=System ready\"");
    panel->callback([&options, panel_options] {
        const json fields = panel_fields(*panel_options);
        const json status = fields.empty() ? control_request(mgx::testbed::control::status) : control_request(mgx::testbed::control::set_lcd_panel, {{"lcd_panel", fields}});
        const json &state = status["lcd_panel"];
        report(options, state, state.is_null() ? "this machine has no LCD panel controller\n" : state.dump(2) + "\n");
    });

    auto advance_options = std::make_shared<AdvanceClockOptions>();
    CLI::App *advance = testbed->add_subcommand("advance-clock", "move the server's clock forward");
    add_number(advance, "ms", advance_options->ms, "milliseconds", 0)->required();
    advance->callback([&options, advance_options] {
        report(options, control_request(mgx::testbed::control::advance_clock, {{"ms", advance_options->ms}}), "clock advanced\n");
    });
}

}  // namespace mgx::tool
