#include "platform_commands.h"

#include <memory>
#include <sstream>

#include <halcore/halcore.h>

#include "bmc_library.h"
#include "cli/input_parsing.h"
#include "unit_access_lock.h"
#include "win32/dll_search.h"
#include "win32/entry_point.h"

namespace mgx::tool {

using namespace mgx::cli;

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

// Bmc.dll, loaded only for the subcommand that reads the SMBIOS table: loading it opens the BMC
// driver and maps the firmware's table, which no other subcommand may cause.
struct BmcLibrary {
    win32::UniqueModule module{win32::load_library_beside_this_module(L"Bmc.dll")};
    decltype(&GetNthString) nth_string = nullptr;
    decltype(&GetSMBIOSStructure) structure = nullptr;

    BmcLibrary() {
        if (!module) throw CommandFailed("Bmc.dll cannot be loaded (error " + std::to_string(GetLastError()) + ")");
        nth_string = win32::entry_point<decltype(nth_string)>(module.get(), MAKEINTRESOURCEA(1));
        structure = win32::entry_point<decltype(structure)>(module.get(), MAKEINTRESOURCEA(2));
        if (!nth_string || !structure) throw CommandFailed("Bmc.dll lacks its ordinals 1 and 2");
    }
};

// The structure's strings, up to the first empty one (the end of its set), into "strings" and
// "strings_hex".
std::vector<std::string_view> strings_of(const BmcLibrary &bmc, std::uint8_t *structure) {
    std::vector<std::string_view> strings;
    for (std::uint32_t n = 1; n < 256; ++n) {
        const char *text = bmc.nth_string(structure, n);
        if (!text || !*text) break;
        strings.emplace_back(text);
    }
    return strings;
}

void list_smbios(const OutputOptions &options) {
    const BmcLibrary bmc;
    json document = json::object();
    std::ostringstream text;
    for (std::uint32_t type : served_types) {
        json found = json::array();
        for (std::uint32_t instance = 0; instance < 256; ++instance) {
            std::uint8_t *structure = nullptr;
            std::uint32_t status = bmc.structure(type, instance, &structure);
            if (status != 0) {
                document["status"] = status;
                text << "the SMBIOS table is not available: status 0x" << std::hex << status << std::dec << "\n";
                report(options, document, text.str());
                return;
            }
            if (!structure) break;
            const int handle = structure[2] | structure[3] << 8;
            json entry = {{"handle", handle}, {"length", structure[1]}};
            const std::vector<std::string_view> strings = strings_of(bmc, structure);
            put_outside_texts(entry, "strings", strings);
            text << "type " << type << " (" << type_name(type) << ") #" << instance << "  handle 0x" << std::hex << handle
                 << std::dec;
            for (const std::string_view string : strings) text << "  \"" << shown_text(latin1_text(string)) << "\"";
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
        const std::string file = ansi_text(driver_options->file, "the driver's path"),
                          service_name = ansi_text(driver_options->service, "the service name");
        const UnitAccessLock lock;
        const char *service = service_name.c_str();
        std::int32_t state = 0;
        const std::int32_t status = HCXDynamicDriverStart(file.c_str(), service, &state);
        json document = {{"status", status}, {"created", state == 2}};
        std::string text = "status " + std::to_string(status) + (state == 2 ? ", service created\n" : "\n");
        const std::string &named = driver_options->service;  // as typed, for the messages
        if (status != 0 && state == 2) {
            // A start that failed after creating the service removes it again, as Halcore's
            // back ends do.
            const std::int32_t removed = HCXDynamicDriverStop(service, 4);
            document["removed"] = removed == 0;
            text += removed == 0 ? "the service " + named + " it created was stopped and removed again\n"
                                 : "the service " + named + " it created is left behind: removing it failed with status " +
                                       std::to_string(removed) + "\n";
        } else if (status != 0) {
            text += "the existing service " + named +
                    " is left in place; its use counter counts this start (\"mgxtool driver stop " + named + "\" ends it)\n";
        }
        report(options, document, text);
        if (status != 0) throw CommandFailed("driver start failed");
    });
    CLI::App *stop = driver->add_subcommand("stop", "end one use; the last one stops (and removes what was created)");
    stop->add_option("service", driver_options->service, "service name")->required();
    add_number(stop, "--type", driver_options->stop_type, "3: stop now, 4: stop and delete now, else by the use counter")
        ->capture_default_str();
    stop->callback([&options, driver_options] {
        const std::string service = ansi_text(driver_options->service, "the service name");
        const UnitAccessLock lock;
        std::int32_t status = HCXDynamicDriverStop(service.c_str(), driver_options->stop_type);
        report(options, {{"status", status}, {"changed", status == 0}},
               status == 0 ? "ended one use of the driver service " + driver_options->service + "\n"
                           : "status " + std::to_string(status) + "\n");
        if (status != 0) throw CommandFailed("driver stop failed");
    });
}

}  // namespace mgx::tool
