#include "platform_commands.h"

#include <memory>
#include <sstream>

#include <halcore/halcore.h>

#include "bmc_library.h"

namespace mgx::tool {

using nlohmann::json;

namespace {

constexpr std::uint32_t served_types[] = {0, 4, 16, 17};

const char *type_name(std::uint32_t type) {
    switch (type) {
    case 0: return "BIOS information";
    case 4: return "processor";
    case 16: return "physical memory array";
    default: return "memory device";
    }
}

// The structure's strings, up to the first empty one (the end of its set).
json strings_of(std::uint8_t *structure) {
    json strings = json::array();
    for (std::uint32_t n = 1; n < 256; ++n) {
        const char *text = GetNthString(structure, n);
        if (!text || !*text) break;
        strings.push_back(text);
    }
    return strings;
}

void list_smbios(const OutputOptions &options) {
    json document = json::object();
    std::ostringstream text;
    for (std::uint32_t type : served_types) {
        json found = json::array();
        for (std::uint32_t instance = 0; instance < 256; ++instance) {
            std::uint8_t *structure = nullptr;
            std::uint32_t status = GetSMBIOSStructure(type, instance, &structure);
            if (status != 0) {
                document["status"] = status;
                text << "the SMBIOS table is not available: status 0x" << std::hex << status << std::dec << "\n";
                report(options, document, text.str());
                return;
            }
            if (!structure) break;
            json entry = {{"handle", structure[2] | structure[3] << 8}, {"length", structure[1]}, {"strings", strings_of(structure)}};
            text << "type " << type << " (" << type_name(type) << ") #" << instance << "  handle 0x" << std::hex
                 << entry["handle"].get<int>() << std::dec;
            for (const json &string : entry["strings"]) text << "  \"" << string.get<std::string>() << "\"";
            text << "\n";
            found.push_back(entry);
        }
        document[std::to_string(type)] = found;
    }
    document["status"] = 0;
    if (text.str().empty()) text << "no SMBIOS structures (the BMC driver is not running, or the table is empty)\n";
    report(options, document, text.str());
}

struct DriverOptions {
    std::string file, service;
    std::int32_t stop_type = 1;
};

}  // namespace

void add_platform_commands(CLI::App &app, const OutputOptions &options) {
    app.add_subcommand("smbios", "SMBIOS structures of types 0, 4, 16 and 17 with their strings (bmc library)")
        ->callback([&options] { list_smbios(options); });

    CLI::App *driver = app.add_subcommand("driver", "start or stop a kernel-driver service through Halcore");
    driver->require_subcommand(1);
    auto driver_options = std::make_shared<DriverOptions>();
    CLI::App *start = driver->add_subcommand("start", "install if needed and start; counts the use");
    start->add_option("file", driver_options->file, "full path of the driver file")->required();
    start->add_option("service", driver_options->service, "service name, e.g. bmc")->required();
    start->callback([&options, driver_options] {
        std::int32_t state = 0;
        std::int32_t status = HCXDynamicDriverStart(driver_options->file.c_str(), driver_options->service.c_str(), &state);
        report(options, {{"status", status}, {"created", state == 2}},
               "status " + std::to_string(status) + (state == 2 ? ", service created\n" : "\n"));
        if (status != 0) throw std::runtime_error("driver start failed");
    });
    CLI::App *stop = driver->add_subcommand("stop", "end one use; the last one stops (and removes what was created)");
    stop->add_option("service", driver_options->service, "service name")->required();
    stop->add_option("--type", driver_options->stop_type, "3: stop now, 4: stop and delete now, else by the use counter")
        ->capture_default_str();
    stop->callback([&options, driver_options] {
        std::int32_t status = HCXDynamicDriverStop(driver_options->service.c_str(), driver_options->stop_type);
        report(options, {{"status", status}}, "status " + std::to_string(status) + "\n");
        if (status != 0) throw std::runtime_error("driver stop failed");
    });
}

}  // namespace mgx::tool
