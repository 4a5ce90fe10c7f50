#include "product_key_commands.h"

#include <memory>
#include <optional>
#include <sstream>

#include <halcore/mgx_call.h>

#include "change_report.h"
#include "confirmation.h"
#include "defaults_preview.h"
#include "dialog_texts.h"
#include "elevation.h"
#include "halcore_session.h"
#include "lifetime_command.h"
#include "lifetime_store.h"
#include "product_key_reset.h"
#include "registry_defaults.h"
#include "service_pipe.h"
#include "setting_changes.h"
#include "win32/program_directory.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::store;

namespace {

// The panel read that decides the setup program's "LCD" default.
bool lcd_panel_present() {
    hal::MgxPanelState state{};
    return hal::mgx_call<hal::CommandType::PanelRead>(state) == 0 && state.is_set(hal::PanelFlag::LcdPresent);
}

struct DefaultsOptions {
    std::string variant = "settings";
    bool yes = false;
    bool check_only = false;
};

// Writes the defaults as the settings program's data initialisation does (asked first, refused
// while the monitoring service answers its command pipe), or as the setup program does after its
// check of the unit.
void write_defaults(const OutputOptions &output, const DefaultsOptions &options) {
    const Writer writer = options.variant == "setup" ? Writer::SetupProgram : Writer::SettingsProgram;
    std::optional<HalcoreSession> session;  // the setup variant asks the panel through Halcore
    DefaultsContext context = defaults_for(writer, win32::program_directory());
    if (writer == Writer::SetupProgram) {
        session.emplace();
        if (!session->usable())
            throw CommandFailed("defaults --variant setup: MGX Error. MGX does not exist or invalid MGX type.");
        context.lcd_panel_present = lcd_panel_present;
    }
    const std::vector<Change> changes = preview_defaults(context);
    json document = {{"variant", options.variant}};
    std::ostringstream text;
    const bool service_running = service::monitoring_service_process() != 0;
    if (options.check_only) {
        report_changes(changes, true, document, text, false);
        document["service_running"] = service_running;
        if (writer == Writer::SettingsProgram && service_running)
            text << "(refused now: " << dialog_text(settings::messages::data_initialisation::service_running) << ")\n";
        report(output, document, text.str());
        return;
    }
    const auto asked = [&] {
        return confirmed(output, options.yes, dialog_text(settings::messages::data_initialisation::question),
                         "defaults (every value of the product key back to its default)");
    };
    LONG status = 0;
    if (writer == Writer::SettingsProgram) {
        const service::ResetResult result = service::reset_product_key(context, asked);
        if (result.outcome == service::ResetOutcome::Declined)
            throw CommandFailed("defaults: not confirmed, nothing was written");
        if (result.outcome == service::ResetOutcome::ServiceRunning)
            throw CommandFailed("defaults: " + dialog_text(settings::messages::data_initialisation::service_running) +
                                " (the monitoring service " + service::monitoring_service +
                                " answers on \\\\.\\pipe\\OMRA_PIPE; stop it first); nothing was written");
        status = result.status;
    } else {
        if (!asked()) throw CommandFailed("defaults: not confirmed, nothing was written");
        status = WriteRegistryDefaults(context);
    }
    document["status"] = status;
    report_changes(changes, false, document, text, false, status == 0);
    if (status) text << "status " << status << "\n";
    report(output, document, text.str());
    if (status) throw_refused("writing the defaults into the product key", status);
}

void add_defaults(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<DefaultsOptions>();
    CLI::App *command = app.add_subcommand("defaults", "write every product-key value with its default, and the App Paths");
    command->add_option("--variant", options->variant, "settings (the settings program's) or setup (the setup program's)")
        ->check(CLI::IsMember({"settings", "setup"}))
        ->capture_default_str();
    add_yes_flag(command, options->yes);
    add_check_flag(command, options->check_only);
    command->callback([&output, options] { write_defaults(output, *options); });
}

struct NotifyOptions {
    std::optional<std::string> lcd, screen;
    bool check_only = false;
};

void add_notify(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<NotifyOptions>();
    CLI::App *notify = app.add_subcommand("notify", "where threshold violations are shown (LCD panel, screen)");
    notify->add_option("--lcd", options->lcd, "on or off: on the LCD panel (where the unit has one)")
        ->check(CLI::IsMember({"on", "off"}));
    notify->add_option("--screen", options->screen, "on or off: on the screen")->check(CLI::IsMember({"on", "off"}));
    add_check_flag(notify, options->check_only);
    notify->callback([&output, options] {
        store::NotificationSwitches switches{};
        LONG status = ReadNotificationSwitches(switches);
        const store::NotificationSwitches before = switches;
        if (options->lcd) switches.lcd = *options->lcd == "on" ? 1 : 0;
        if (options->screen) switches.screen = *options->screen == "on" ? 1 : 0;
        if (switches.lcd && !before.lcd) {  // as the dialog: the LCD panel only where the unit reports one
            HalcoreSession session;
            if (!lcd_panel_present()) throw CommandFailed("--lcd on: LCD does not exist.");
        }
        const auto on_off = [](DWORD value) { return std::string(value ? "on" : "off"); };
        std::vector<Change> changes;
        if (options->lcd) changes.push_back({service::notification_lcd_what, on_off(before.lcd), on_off(switches.lcd)});
        if (options->screen)
            changes.push_back({service::notification_screen_what, on_off(before.screen), on_off(switches.screen)});
        const bool changed = switches.lcd != before.lcd || switches.screen != before.screen;
        if (changed && !options->check_only) {
            if (LONG written = WriteNotificationSwitches(switches))
                throw_refused("writing the notification methods into the product key", written);
            status = ReadNotificationSwitches(switches);
        }
        json document = {{"status", status}, {"lcd", switches.lcd != 0}, {"screen", switches.screen != 0}};
        std::ostringstream text;
        report_changes(changes, options->check_only, document, text);
        text << "LCD panel " << on_off(switches.lcd) << ", screen " << on_off(switches.screen)
             << (status ? " (status " + std::to_string(status) + ")" : "") << "\n";
        report(output, document, text.str());
    });
}

}  // namespace

void add_product_key_commands(CLI::App &app, const OutputOptions &output) {
    add_defaults(app, output);
    add_lifetime_command(app, output);
    add_notify(app, output);
}

}  // namespace mgx::tool
