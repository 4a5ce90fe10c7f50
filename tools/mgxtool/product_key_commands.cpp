#include "product_key_commands.h"

#include <cstring>
#include <memory>
#include <optional>
#include <sstream>

#include <halcore/mgx_call.h>

#include "cli/input_parsing.h"
#include "elevation.h"
#include "halcore_session.h"
#include "lifetime_store.h"
#include "registry_defaults.h"
#include "wear_parts.h"
#include "win32/program_directory.h"

namespace mgx::tool {

using namespace mgx::cli;

using nlohmann::json;
using namespace mgx::store;

namespace {

// Names for the parts in reports: the JSON key and the readable name.
struct PartName {
    const char *key;
    const char *text;
};

PartName part_name(const WearPart &part) {
    switch (part.index) {
    case CpuFan: return {"cpu_fan", "CPU fan"};
    case PowerSupply: return {"power_supply", "power supply"};
    case ChassisFan: return {"chassis_fan", "chassis fan"};
    case UpsBattery: return {"ups", "UPS"};
    default: return {"raid", "RAID"};
    }
}

void show_record(const OutputOptions &output, bool changed = false) {
    LifetimeRecord record{};
    const LONG status = ReadLifetimeRecord(record);
    json hours = json::object(), lives = json::object(), dates = json::object();
    std::ostringstream hours_text, lives_text, dates_text;
    for (int slot = 0; slot < 3; ++slot) {
        const PartName name = part_name(running_hours_part(slot));
        hours[name.key] = record.running_hours[slot];
        hours_text << (slot ? ", " : "") << name.text << " " << record.running_hours[slot];
    }
    for (int slot = 0; slot < 5; ++slot) {
        const PartName name = part_name(life_time_part(slot));
        lives[name.key] = record.life_times[slot];
        lives_text << (slot ? ", " : "") << name.text << " " << record.life_times[slot];
    }
    // The UPS battery first (install date number 17), then the RAID cards that have a date.
    for (long step = 0; step <= raid_card_count; ++step) {
        const WearPart &part = install_date_part(step == 0 ? raid_card_count + 1 : step);
        const char *field = record.install_dates[part.slot];
        const std::string date(field, strnlen(field, date_size));
        dates[part.value_name] = date;
        if (part.index == UpsBattery)
            dates_text << "install dates  UPS " << date << "\n";
        else if (!date.empty())
            dates_text << "               " << part.value_name << " " << date << "\n";
    }
    std::ostringstream text;
    text << "running hours  " << hours_text.str() << "\n"
         << "life times     " << lives_text.str() << "\n"
         << dates_text.str();
    if (status) text << "(some values are missing: status " << status << ")\n";
    report(output,
           {{"status", status}, {"changed", changed}, {"running_hours", hours}, {"life_times", lives}, {"install_dates", dates}},
           text.str());
}

// The panel read that decides the setup program's "LCD" default.
bool lcd_panel_present() {
    hal::MgxPanelState state{};
    return hal::mgx_call<hal::CommandType::PanelRead>(state) == 0 && state.is_set(hal::PanelFlag::LcdPresent);
}

struct DefaultsOptions {
    std::string variant = "settings";
};

struct NotifyOptions {
    std::optional<std::string> lcd, screen;
    bool check_only = false;
};

struct LifetimeOptions {
    std::optional<int> hours_index;
    std::int32_t hours = 0;
    std::optional<long> date_number;
    std::string date_text;
    bool check_only = false;
};

}  // namespace

void add_product_key_commands(CLI::App &app, const OutputOptions &output) {
    auto defaults_options = std::make_shared<DefaultsOptions>();
    CLI::App *defaults = app.add_subcommand("defaults", "write every product-key value with its default, and the App Paths");
    defaults
        ->add_option("--variant", defaults_options->variant, "settings (the settings program's) or setup (the setup program's)")
        ->check(CLI::IsMember({"settings", "setup"}))
        ->capture_default_str();
    defaults->callback([&output, defaults_options] {
        const Writer writer = defaults_options->variant == "setup" ? Writer::SetupProgram : Writer::SettingsProgram;
        std::optional<HalcoreSession> session;  // the setup variant asks the panel through Halcore
        DefaultsContext context = defaults_for(writer, win32::program_directory());
        if (writer == Writer::SetupProgram) {
            session.emplace();
            context.lcd_panel_present = lcd_panel_present;
        }
        const LONG status = WriteRegistryDefaults(context);
        report(output, {{"status", status}}, "status " + std::to_string(status) + "\n");
        if (status) throw_refused("writing the defaults into the product key", status);
    });

    auto options = std::make_shared<LifetimeOptions>();
    CLI::App *lifetime = app.add_subcommand("lifetime", "the wear parts' lifetime record");
    CLI::Option *set_hours = add_number(lifetime, "--set-hours", options->hours_index,
                                        "running-hours counter: 0 CPU fan, 1 power supply, 2 chassis fan", 0, 2);
    CLI::Option *hours =
        add_number(lifetime, "--hours", options->hours, "the counter's new value", 0, std::numeric_limits<std::int32_t>::max());
    CLI::Option *set_date =
        add_number(lifetime, "--set-date", options->date_number, "install date: 1 to 16 RAID card, 17 UPS", 1, 17);
    CLI::Option *date = lifetime->add_option("--date", options->date_text, "the new date, YYYY/MM/DD, or empty for none")
                            ->check(CLI::Validator(
                                [](std::string &text) {
                                    return text.empty() || is_calendar_date(text)
                                               ? std::string()
                                               : "Invalid Date.: \"" + text + "\" is not a day YYYY/MM/DD";
                                },
                                "YYYY/MM/DD"));
    add_check_flag(lifetime, options->check_only);
    set_hours->needs(hours);
    hours->needs(set_hours);
    set_date->needs(date);
    date->needs(set_date);
    lifetime->callback([&output, options] {
        // What already holds the wanted value is not written again.
        bool changed = false;
        if (options->hours_index) {
            std::int32_t hours = -1;
            ReadRunningHours(*options->hours_index, &hours);
            if (hours != options->hours) {
                if (LONG status = options->check_only ? ERROR_SUCCESS : WriteRunningHours(*options->hours_index, options->hours))
                    throw_refused("writing the running hours into the product key", status);
                changed = true;
            }
        }
        if (options->date_number) {
            const std::string &date = options->date_text;
            char field[date_size] = {}, stored[date_size] = {};
            std::memcpy(field, date.data(), date.size());
            ReadInstallDate(*options->date_number, stored);
            if (std::strncmp(field, stored, date_size) != 0) {
                if (LONG status = options->check_only ? ERROR_SUCCESS : WriteInstallDate(*options->date_number, field))
                    throw_refused("writing the install date into the product key", status);
                changed = true;
            }
        }
        show_record(output, changed);
    });

    auto notify_options = std::make_shared<NotifyOptions>();
    CLI::App *notify = app.add_subcommand("notify", "where threshold violations are shown (LCD panel, screen)");
    notify->add_option("--lcd", notify_options->lcd, "on or off: on the LCD panel (where the unit has one)")
        ->check(CLI::IsMember({"on", "off"}));
    notify->add_option("--screen", notify_options->screen, "on or off: on the screen")->check(CLI::IsMember({"on", "off"}));
    add_check_flag(notify, notify_options->check_only);
    notify->callback([&output, notify_options] {
        DWORD switches[2] = {0, 0};
        LONG status = ReadNotificationSwitches(switches);
        const DWORD before[2] = {switches[0], switches[1]};
        if (notify_options->lcd) switches[0] = *notify_options->lcd == "on" ? 1 : 0;
        if (notify_options->screen) switches[1] = *notify_options->screen == "on" ? 1 : 0;
        if (switches[0] && !before[0]) {  // as the dialog: the LCD panel only where the unit reports one
            HalcoreSession session;
            if (!lcd_panel_present()) throw CommandFailed("--lcd on: LCD does not exist.");
        }
        const bool changed = switches[0] != before[0] || switches[1] != before[1];
        if (changed && !notify_options->check_only) {
            if (LONG written = WriteNotificationSwitches(switches))
                throw_refused("writing the notification methods into the product key", written);
            status = ReadNotificationSwitches(switches);
        }
        report(output, {{"status", status}, {"changed", changed}, {"lcd", switches[0] != 0}, {"screen", switches[1] != 0}},
               std::string("LCD panel ") + (switches[0] ? "on" : "off") + ", screen " + (switches[1] ? "on" : "off") +
                   (status ? " (status " + std::to_string(status) + ")" : "") + "\n");
    });
}

}  // namespace mgx::tool
