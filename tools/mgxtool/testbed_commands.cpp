#include "testbed_commands.h"

#include <sstream>

#include "control_client.h"

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
    const json &lock = status["smbus"]["lock"];
    text << "smbus lock   " << (lock.is_null() ? std::string("free") : lock.value("owner", "")) << "\n";
    text << "faults       " << status["faults"].size() << "\n";
    for (const json &fault : status["faults"]) text << "  " << fault.dump() << "\n";
    text << "exchanges    " << status["log"].value("entries", 0u) << " logged\n";
    text << "state file   " << status.value("state_file", "") << "\n";
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

}  // namespace

void add_testbed_commands(CLI::App &app, const OutputOptions &options) {
    CLI::App *testbed = app.add_subcommand("testbed", "the virtual server that plays the hardware");
    testbed->require_subcommand(1);

    on_status(testbed->add_subcommand("status", "profile, unit state, faults and log size"), options, "status");

    testbed->add_subcommand("profiles", "machine profiles the server knows")->callback([&options] {
        json reply = control_request("profiles");
        std::ostringstream text;
        for (const json &profile : reply["profiles"])
            text << profile.value("name", "") << "\t" << profile.value("description", profile.value("error", "")) << "\n";
        report(options, reply["profiles"], text.str());
    });

    static std::string profile_name;
    CLI::App *use = testbed->add_subcommand("use", "become another machine (fresh unit, no faults, empty log)");
    use->add_option("profile", profile_name, "profile name, e.g. acer")->required();
    on_status(use, options, "use-profile", [] { return json{{"profile", profile_name}}; });

    on_status(testbed->add_subcommand("reset", "fresh unit of the current profile, no faults, empty log"), options, "reset");

    static std::optional<std::uint32_t> hours;
    static std::optional<bool> fixed, silent;
    CLI::App *unit = testbed->add_subcommand("unit", "change the unit's state");
    unit->add_option("--running-hours", hours, "set the running-time counter");
    unit->add_option("--fixed", fixed, "true: the counter stands still; false: it advances with time");
    unit->add_option("--silent", silent, "true: the unit answers nothing on any path");
    on_status(unit, options, "set-unit", [] {
        json fields = json::object();
        if (hours) fields["running_hours"] = *hours;
        if (fixed) fields["running_hours_fixed"] = *fixed;
        if (silent) fields["silent"] = *silent;
        return json{{"unit", fields}};
    });

    static json fault;
    static std::string kind, device = "any";
    static std::optional<int> netfn, command_code, count, completion_code, skip;
    CLI::App *faults = testbed->add_subcommand("fault", "inject faults");
    faults->require_subcommand(1);
    CLI::App *add = faults->add_subcommand("add", "add a fault");
    add->add_option("kind", kind, "completion-code, refuse-lock, fail-write, fail-read, bad-checksum, bad-header, "
                                  "short-answer, silence or driver-start-failure")
        ->required();
    add->add_option("--device", device, "imb, bmc, smbus or any")->capture_default_str();
    add->add_option("--netfn", netfn, "only requests with this network function (0x3a or 58)");
    add->add_option("--command", command_code, "only requests with this command code");
    add->add_option("--count", count, "only the next N matching requests (default: always)")->check(CLI::Range(1, 1000000));
    add->add_option("--code", completion_code, "completion code of a completion-code fault")->check(CLI::Range(0, 255));
    add->add_option("--skip", skip, "let this many matching requests through first")->check(CLI::Range(0, 1000000));
    add->callback([&options] {
        json spec = {{"kind", kind}, {"device", device}};
        if (netfn) spec["netfn"] = *netfn;
        if (command_code) spec["command"] = *command_code;
        if (count) spec["count"] = *count;
        if (completion_code) spec["code"] = *completion_code;
        if (skip) spec["skip"] = *skip;
        json reply = control_request("add-fault", {{"fault", spec}});
        report(options, reply["faults"], reply["faults"].dump(2) + "\n");
    });
    faults->add_subcommand("clear", "remove every fault")->callback([&options] {
        report(options, control_request("clear-faults"), "faults cleared\n");
    });
    faults->add_subcommand("list", "faults in force")->callback([&options] {
        json reply = control_request("faults");
        report(options, reply["faults"], reply["faults"].dump(2) + "\n");
    });

    static std::uint64_t since = 0;
    CLI::App *log = testbed->add_subcommand("log", "the exchange log: every device request with its time");
    log->add_option("--since", since, "only entries from this sequence number on");
    log->callback([&options] {
        json reply = control_request("log", {{"since", since}});
        report(options, reply["entries"], describe_log(reply["entries"]));
    });
    testbed->add_subcommand("clear-log", "empty the exchange log")->callback([&options] {
        report(options, control_request("clear-log"), "log cleared\n");
    });

    static std::int64_t advance_ms = 0;
    CLI::App *advance = testbed->add_subcommand("advance-clock", "move the server's clock forward");
    advance->add_option("ms", advance_ms, "milliseconds")->required()->check(CLI::NonNegativeNumber);
    advance->callback([&options] { report(options, control_request("advance-clock", {{"ms", advance_ms}}), "clock advanced\n"); });
}

}  // namespace mgx::tool
