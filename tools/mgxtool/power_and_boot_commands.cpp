#include "power_and_boot_commands.h"

#include <memory>
#include <optional>
#include <sstream>

#include <halcore/mgx_call.h>

#include "halcore_session.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::hal;

namespace {

struct SafeModeOptions {
    std::optional<std::string> set;
};

void add_safe_mode(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<SafeModeOptions>();
    CLI::App *command = app.add_subcommand("safe-mode", "the safe power-off mode (shutdown instead of power-off)");
    command->add_option("--set", options->set, "on or off")->check(CLI::IsMember({"on", "off"}));
    command->callback([&output, options] {
        with_unit(output, [&options](json &document, std::ostringstream &text) {
            if (options->set) {
                const std::int32_t mode = *options->set == "on" ? 0 : 1;  // the unit keeps 0 for on, 1 for off
                if (std::int32_t status = mgx_call<CommandType::SetSafeMode>(mode)) return status;
            }
            std::int32_t mode = -1;
            std::int32_t status = mgx_call<CommandType::SafeMode>(mode);
            if (status == 0) {
                document["safe_mode"] = mode == 0 ? "on" : mode == 1 ? "off" : "unknown";
                text << "safe power-off mode " << document["safe_mode"].get<std::string>() << "\n";
            }
            return status;
        });
    });
}

struct BootMonitoringOptions {
    std::optional<std::string> post, os_boot, method;
    std::optional<std::uint16_t> post_timeout, os_timeout;
    std::optional<std::uint8_t> post_retries, os_retries;

    bool changes() const { return post || os_boot || post_timeout || post_retries || os_timeout || os_retries || method; }
};

void add_boot_monitoring(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<BootMonitoringOptions>();
    CLI::App *command = app.add_subcommand("boot-monitoring", "POST and OS-boot monitoring of the unit");
    command->add_option("--post", options->post, "set: POST monitoring on or off")->check(CLI::IsMember({"on", "off"}));
    command->add_option("--os-boot", options->os_boot, "set: OS-boot monitoring on or off")->check(CLI::IsMember({"on", "off"}));
    command->add_option("--post-timeout", options->post_timeout, "seconds")->check(CLI::Range(1, 65535));
    command->add_option("--post-retries", options->post_retries, "retries")->check(CLI::Range(0, 255));
    command->add_option("--os-timeout", options->os_timeout, "seconds")->check(CLI::Range(1, 65535));
    command->add_option("--os-retries", options->os_retries, "retries")->check(CLI::Range(0, 255));
    command->add_option("--method", options->method, "retry method: reboot or power-cycle")
        ->check(CLI::IsMember({"reboot", "power-cycle"}));
    command->callback([&output, options] {
        const BootMonitoringOptions &wanted = *options;
        // The unit does not report whether each monitoring is on, so a change names both.
        if (wanted.changes() && (!wanted.post || !wanted.os_boot)) throw CLI::ValidationError("a change needs both --post and --os-boot");
        with_unit(output, [&wanted](json &document, std::ostringstream &text) {
            BootMonitorSettings settings{};
            if (std::int32_t status = mgx_call<CommandType::BootMonitoring>(settings)) return status;
            if (wanted.changes()) {
                settings.post_selector = *wanted.post == "on";
                settings.os_boot_selector = *wanted.os_boot == "on";
                if (wanted.post_timeout) settings.post_timeout = *wanted.post_timeout;
                if (wanted.post_retries) settings.post_retries = *wanted.post_retries;
                if (wanted.os_timeout) settings.os_boot_timeout = *wanted.os_timeout;
                if (wanted.os_retries) settings.os_boot_retries = *wanted.os_retries;
                if (wanted.method) settings.retry_method = *wanted.method == "power-cycle" ? 1 : 0;
                if (std::int32_t status = mgx_call<CommandType::SetBootMonitoring>(settings)) return status;
                if (std::int32_t status = mgx_call<CommandType::BootMonitoring>(settings)) return status;
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

}  // namespace

void add_power_and_boot_commands(CLI::App &app, const OutputOptions &output) {
    add_safe_mode(app, output);
    add_boot_monitoring(app, output);
}

}  // namespace mgx::tool
