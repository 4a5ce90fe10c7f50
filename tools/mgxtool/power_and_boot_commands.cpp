#include "power_and_boot_commands.h"

#include <memory>
#include <optional>
#include <sstream>

#include <halcore/back_end_state.h>
#include <halcore/boot_monitoring.h>
#include <halcore/mgx_call.h>

#include "change_report.h"
#include "cli/input_parsing.h"
#include "dialog_texts.h"
#include "halcore_session.h"
#include "setting_changes.h"

namespace mgx::tool {

using namespace mgx::cli;

using nlohmann::json;
using namespace mgx::hal;

namespace {

struct SafeModeOptions {
    std::optional<std::string> set;
    bool check_only = false;
};

void add_safe_mode(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<SafeModeOptions>();
    CLI::App *command = app.add_subcommand("safe-mode", "the safe power-off mode (shutdown instead of power-off)");
    command->add_option("--set", options->set, "on or off")->check(CLI::IsMember({"on", "off"}));
    add_check_flag(command, options->check_only);
    command->callback([&output, options] {
        with_unit(output, [&options](json &document, std::ostringstream &text) {
            // Read first; write only what differs, then read back and compare.
            std::int32_t mode = -1;
            if (std::int32_t status = mgx_call<CommandType::SafeMode>(mode)) return status;
            bool changed = false;
            if (options->set) {
                const std::int32_t wanted = *options->set == "on" ? 0 : 1;  // the unit keeps 0 for on, 1 for off
                const std::string before = service::safe_mode_text(mode);
                if (std::int32_t status = write_when_different<CommandType::SetSafeMode, CommandType::SafeMode>(
                        mode, wanted, options->check_only, changed, "the unit kept another safe power-off mode"))
                    return status;
                report_changes({{service::safe_mode_what, before, service::safe_mode_text(wanted)}}, options->check_only,
                               document, text);
            }
            document["changed"] = changed;
            const char *shown = mode == 0 ? "on" : mode == 1 ? "off" : "unknown";
            document["safe_mode"] = shown;
            text << "safe power-off mode " << shown << "\n";
            return 0;
        });
    });
}

// Boot monitoring as the start monitoring settings see it: a function is off when its time-out
// is 0; time-outs are set in minutes and sent in seconds; both selector bytes are 1 in every
// write. Where the dialog greys a function (POST on back-end state 4, OS boot on hardware that
// cannot watch it), it cannot be switched on here either, and a write leaves it off.
using namespace hal::boot_monitoring;

struct FunctionOptions {
    std::optional<std::string> state;  // "on" or "off"
    std::optional<std::uint16_t> minutes;
    std::optional<std::uint8_t> retries;

    bool changes() const { return state || minutes || retries; }
    bool switched_on() const { return state && *state == "on"; }
};

struct BootMonitoringOptions {
    FunctionOptions post, os_boot;
    std::optional<std::string> method;
    bool check_only = false;

    bool changes() const { return post.changes() || os_boot.changes() || method; }
};

void add_function_options(CLI::App *command, const char *prefix, const char *name, FunctionOptions &function) {
    const std::string option = std::string("--") + prefix;
    command->add_option(option, function.state, std::string(name) + " monitoring on or off")->check(CLI::IsMember({"on", "off"}));
    add_number(command, option + "-timeout", function.minutes, std::string(name) + " time-out in minutes, 15 to 999",
               minimum_minutes, maximum_minutes);
    add_number(command, option + "-retries", function.retries, std::string(name) + " retries, 1 to 5", minimum_retries,
               maximum_retries);
}

// Applies one function's options to its time-out (in seconds) and retries. `available`: the
// function can be on at all on this machine. Throws CLI::ValidationError for a time-out given
// to a function that stays off.
void apply(const FunctionOptions &wanted, const char *option, const char *name, bool available, std::uint16_t default_minutes,
           std::uint16_t &timeout, std::uint8_t &retries) {
    if (!available) timeout = off;  // as the dialog writes a greyed function
    if (!wanted.changes()) return;
    const bool currently_on = timeout != off;
    const bool on = wanted.state ? *wanted.state == "on" : currently_on;
    if (wanted.minutes && !on)
        throw CLI::ValidationError(std::string("--") + option + "-timeout: " + name + " monitoring stays off; give --" + option +
                                   " on to switch it on");
    if (wanted.retries) retries = *wanted.retries;
    if (!usable_retries(retries)) retries = default_retries;
    if (!on) {
        timeout = off;
        return;
    }
    const std::uint16_t current_minutes = timeout / seconds_per_minute;
    const bool current_usable = currently_on && usable_minutes(current_minutes);
    timeout = static_cast<std::uint16_t>(seconds_per_minute * (wanted.minutes   ? *wanted.minutes
                                                               : current_usable ? current_minutes
                                                                                : default_minutes));
}

json describe_function(const char *name, std::uint16_t timeout, std::uint8_t retries, std::ostringstream &text) {
    if (timeout == 0)
        text << name << "off (" << int(retries) << " retries kept)\n";
    else
        text << name << "on, time-out " << timeout / 60 << " min (" << timeout << " s), " << int(retries) << " retries\n";
    return {{"on", timeout != 0}, {"timeout_s", timeout}, {"timeout_minutes", timeout / 60}, {"retries", retries}};
}

// What the start monitoring dialog says of the values the unit holds that it cannot show.
std::vector<std::string> dialog_verdicts(const BootMonitorSettings &read) {
    namespace said = settings::messages::start_monitoring;
    std::vector<std::string> verdicts;
    const auto held = [&](const settings::UiMessageBox &box, const std::string &value) {
        verdicts.push_back(dialog_text(box, true) + " (the unit holds " + value +
                           ", which the start monitoring dialog does not accept)");
    };
    if (!usable_retry_method(read.retry_method))
        held(said::bad_retry_method, "retry method " + std::to_string(read.retry_method));
    if (!usable_timeout(read.post_timeout)) held(said::bad_post_time, std::to_string(read.post_timeout) + " s");
    if (!usable_timeout(read.os_boot_timeout)) held(said::bad_os_boot_time, std::to_string(read.os_boot_timeout) + " s");
    if (!usable_retries(read.post_retries)) held(said::bad_post_retries, std::to_string(read.post_retries) + " retries");
    if (!usable_retries(read.os_boot_retries)) held(said::bad_os_boot_retries, std::to_string(read.os_boot_retries) + " retries");
    return verdicts;
}

void add_boot_monitoring(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<BootMonitoringOptions>();
    CLI::App *command = app.add_subcommand("boot-monitoring", "POST and OS-boot monitoring of the unit");
    add_function_options(command, "post", "POST", options->post);
    add_function_options(command, "os-boot", "OS-boot", options->os_boot);
    command
        ->add_option("--method", options->method,
                     "retry method: power-cycle (power off, then on again) or reboot (hardware reset)")
        ->check(CLI::IsMember({"power-cycle", "reboot"}));
    add_check_flag(command, options->check_only);
    command->callback([&output, options] {
        const BootMonitoringOptions &wanted = *options;
        with_unit_session(output, [&wanted](const HalcoreSession &session, json &document, std::ostringstream &text) {
            BootMonitorSettings settings{};
            if (std::int32_t status = mgx_call<CommandType::BootMonitoring>(settings)) return status;
            const BootMonitorSettings before = settings;
            bool changed = false;
            if (wanted.changes()) {
                BootMonitorSettings target = settings;
                const bool post_available = post_may_be_switched_on(session.back_end_state());
                if (wanted.post.switched_on() && !post_available)
                    throw CLI::ValidationError(
                        "--post on: POST monitoring cannot be switched on on this machine (back-end state 4)");
                const bool os_boot_available = unit_can_watch_os_boot();
                if (wanted.os_boot.switched_on() && !os_boot_available)
                    throw CLI::ValidationError(
                        "--os-boot on: You can not enable OS boot monitoring,because this hardware not "
                        "support for changing Administer mode.");
                std::uint16_t post_timeout = target.post_timeout, os_boot_timeout = target.os_boot_timeout;
                apply(wanted.post, "post", "POST", post_available, post_default_minutes, post_timeout, target.post_retries);
                apply(wanted.os_boot, "os-boot", "OS-boot", os_boot_available, os_boot_default_minutes, os_boot_timeout,
                      target.os_boot_retries);
                target.post_timeout = post_timeout;
                target.os_boot_timeout = os_boot_timeout;
                if (wanted.method) target.retry_method = *wanted.method == "reboot" ? Reboot : PowerCycle;
                target.post_selector = target.os_boot_selector = 1;  // as the dialog writes them
                if (std::int32_t status = write_when_different<CommandType::SetBootMonitoring, CommandType::BootMonitoring>(
                        settings, target, wanted.check_only, changed,
                        "the unit kept other boot monitoring settings than were written", same_settings))
                    return status;
                report_changes(service::boot_monitoring_changes(before, target), wanted.check_only, document, text, false);
            }
            document["changed"] = changed;
            const std::vector<std::string> verdicts = dialog_verdicts(wanted.changes() && !wanted.check_only ? settings : before);
            document["dialog_verdicts"] = verdicts;
            for (const std::string &verdict : verdicts) text << verdict << "\n";
            const std::int32_t method = settings.retry_method;
            document["post"] = describe_function("POST     ", settings.post_timeout, settings.post_retries, text);
            document["os_boot"] = describe_function("OS boot  ", settings.os_boot_timeout, settings.os_boot_retries, text);
            document["retry_method"] = {{"code", method}, {"name", service::retry_method_name(method)}};
            text << "method   "
                 << (method == PowerCycle ? "power off, then on again"
                     : method == Reboot   ? "reboot (hardware reset)"
                                          : "unknown (" + std::to_string(method) + ")")
                 << "\n";
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
