#include "lifetime_command.h"

#include <cstring>
#include <memory>
#include <optional>
#include <sstream>

#include "change_report.h"
#include "cli/input_parsing.h"
#include "elevation.h"
#include "halcore_session.h"
#include "lifetime_changes.h"
#include "lifetime_store.h"
#include "wear_part_status.h"
#include "wear_parts.h"

namespace mgx::tool {

using namespace mgx::cli;
using nlohmann::json;
using namespace mgx::store;

namespace {

// The JSON keys of the counters and life times, kept as scripts know them.
const char *json_key(const WearPart &part) {
    switch (part.index) {
    case CpuFan: return "cpu_fan";
    case PowerSupply: return "power_supply";
    case ChassisFan: return "chassis_fan";
    case UpsBattery: return "ups";
    default: return "raid";
    }
}

std::string status_line(const WearPartStatus &status, double now) {
    std::ostringstream line;
    line << padded(shown_name(*status.part), 34);
    const std::optional<bool> due = status.due(now);
    if (status.ages_by_hours()) {
        line << "running " << status.running_hours << " h of " << status.life_hours << " h, ";
        if (status.hours_left() > 0)
            line << status.hours_left() << " h left";
        else
            line << "due (" << -status.hours_left() << " h past its life time)";
    } else if (status.installed == WearPartStatus::Installed::None) {
        line << "no install date (life time " << status.life_hours << " h)";
    } else if (status.installed == WearPartStatus::Installed::Impossible) {
        line << "install date \"" << shown_text(latin1_text(status.date_text)) << "\" is no date";
    } else {
        line << "installed " << status.date_text << ", next change " << date_text_of(status.next_change_seconds())
             << (*due ? ", due" : "");
    }
    if (!status.in_use) line << " (not in use: beyond RAIDCount)";
    return line.str();
}

json status_json(const WearPartStatus &status, double now) {
    json part = {{"name", status.part->name},       {"caption", status.part->caption},
                 {"index", status.part->index},     {"registry_name", status.part->value_name},
                 {"life_hours", status.life_hours}, {"in_use", status.in_use}};
    const std::optional<bool> due = status.due(now);
    part["due"] = due ? json(*due) : json(nullptr);
    if (status.ages_by_hours()) {
        part["running_hours"] = status.running_hours;
        part["hours_left"] = status.hours_left();
    } else {
        put_outside_text(part, "install_date", status.date_text);
        part["next_change"] =
            status.installed == WearPartStatus::Installed::Day ? json(date_text_of(status.next_change_seconds())) : json(nullptr);
    }
    return part;
}

// The record as the command shows it: every counter and life time, the install dates, and where
// each part stands.
void describe_record(const LifetimeRecord &record, LONG status, json &document, std::ostringstream &text) {
    DWORD raid_cards = 0;
    ReadRaidCount(&raid_cards);
    json hours = json::object(), lives = json::object(), dates = json::object(), parts = json::array();
    for (int slot = 0; slot < 3; ++slot) hours[json_key(running_hours_part(slot))] = record.running_hours[slot];
    for (int slot = 0; slot < 5; ++slot) lives[json_key(life_time_part(slot))] = record.life_times[slot];
    const double now = seconds_now();
    for (const WearPartStatus &part : wear_part_statuses(record, raid_cards)) {
        if (!part.ages_by_hours()) dates[part.part->value_name] = part.date_text;
        parts.push_back(status_json(part, now));
        if (part.in_use || part.installed != WearPartStatus::Installed::None) text << status_line(part, now) << "\n";
    }
    document["status"] = status;
    document["running_hours"] = hours;
    document["life_times"] = lives;
    document["install_dates"] = dates;
    document["parts"] = parts;
    if (status) text << "(some values are missing: status " << status << ")\n";
}

struct LifetimeOptions {
    std::optional<std::string> part;
    std::optional<int> hours_index;
    std::optional<std::int32_t> hours;
    std::optional<long> date_number;
    std::optional<std::string> date_text;
    bool tell_service = false;
    bool check_only = false;
};

// The parts the options name, checked before anything is read: `--part NAME` or the numbers.
struct Edits {
    const WearPart *hours_part = nullptr;
    const WearPart *date_part = nullptr;
};
Edits edits_of(const LifetimeOptions &options) {
    Edits edits;
    if (options.hours_index) edits.hours_part = &running_hours_part(*options.hours_index);
    if (options.date_number) edits.date_part = &install_date_part(*options.date_number);
    if (!options.part) {
        if (options.hours && !edits.hours_part) throw CLI::ValidationError("--hours: give the part with --part or --set-hours");
        if (options.date_text && !edits.date_part) throw CLI::ValidationError("--date: give the part with --part or --set-date");
        return edits;
    }
    const WearPart *part = wear_part_named(*options.part);
    if (!part) {
        std::string names;
        for (const WearPart &each : wear_parts()) names += (names.empty() ? "" : ", ") + each.name;
        throw CLI::ValidationError("--part: no wear part is named \"" + *options.part + "\" (" + names + ")");
    }
    const bool by_hours = part->aging == Aging::RunningHours;
    if (by_hours ? !options.hours : !options.date_text)
        throw CLI::ValidationError("--part " + part->name + ": give " + (by_hours ? "--hours" : "--date") +
                                   " (the part ages by its " + (by_hours ? "running hours" : "install date") + ")");
    if (by_hours ? options.date_text.has_value() : options.hours.has_value())
        throw CLI::ValidationError("--part " + part->name + ": " + (by_hours ? "--date" : "--hours") + " does not apply to it");
    (by_hours ? edits.hours_part : edits.date_part) = part;
    return edits;
}

void run_lifetime(const OutputOptions &output, const LifetimeOptions &options) {
    const Edits edits = edits_of(options);
    LifetimeRecord baseline{};
    const LONG status = ReadLifetimeRecord(baseline);
    LifetimeRecord edited = baseline;
    std::vector<Change> changes;
    if (edits.hours_part) {
        std::int32_t &hours = edited.running_hours[edits.hours_part->slot];
        changes.push_back(
            {shown_name(*edits.hours_part) + " running hours", std::to_string(hours), std::to_string(*options.hours)});
        hours = *options.hours;
    }
    if (edits.date_part) {
        char(&date)[date_size] = edited.install_dates[edits.date_part->slot];
        const std::string before = service::shown_date(date);
        std::memset(date, 0, date_size);
        std::memcpy(date, options.date_text->data(), options.date_text->size());
        changes.push_back({shown_name(*edits.date_part) + " install date", before, service::shown_date(date)});
    }
    service::LifetimeChanges changed = service::changes_between(baseline, edited);
    if (options.tell_service) {  // the same values written again, and the service told of the parts
        if (edits.hours_part) changed.hours[edits.hours_part->slot] = true;
        if (edits.date_part) changed.dates[edits.date_part->slot] = true;
    }
    json document;
    std::ostringstream text;
    std::string service_told;
    std::optional<service::SaveResult> saved;
    if (changed.any() && !options.check_only) {
        saved = service::save_lifetime_changes(edited, changed);
        if (saved->outcome == service::SaveOutcome::WriteFailed)
            throw_refused("writing the lifetime record into the product key", saved->status);
        const bool told = saved->outcome == service::SaveOutcome::Saved;
        document["service_told"] = told;
        document["parts_change_message"] = std::string(changed.message().text());
        if (told)
            service_told = "the monitoring service was told (parts changed: " + std::string(changed.message().text()) + ")\n";
    }
    report_changes(changes, options.check_only, document, text);  // once written: the change log has it
    text << service_told;
    LifetimeRecord shown{};
    const LONG shown_status = saved ? ReadLifetimeRecord(shown) : (shown = baseline, status);
    describe_record(shown, shown_status, document, text);
    report(output, document, text.str());
    if (saved && saved->outcome == service::SaveOutcome::ServiceNotTold)
        throw CommandFailed(
            "the product key was written, but the monitoring service was not told: it does not answer on "
            "\\\\.\\pipe\\OMRAPartsChange (where the component lifetime dialog shows its write error with code 0); "
            "start the service GK7T30SV, then tell it with the same command and --tell-service");
}

}  // namespace

void add_lifetime_command(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<LifetimeOptions>();
    CLI::App *lifetime = app.add_subcommand("lifetime", "the wear parts' lifetime record, and a part's change");
    std::string names;
    for (const WearPart &part : wear_parts()) names += (names.empty() ? "" : ", ") + part.name;
    lifetime->add_option("--part", options->part, "the part by its name: " + names);
    CLI::Option *set_hours = add_number(lifetime, "--set-hours", options->hours_index,
                                        "running-hours counter: 0 CPU fan, 1 power supply, 2 chassis fan", 0, 2);
    add_number(lifetime, "--hours", options->hours, "the counter's new value", 0, std::numeric_limits<std::int32_t>::max());
    CLI::Option *set_date =
        add_number(lifetime, "--set-date", options->date_number, "install date: 1 to 16 RAID card, 17 UPS", 1, 17);
    lifetime->add_option("--date", options->date_text, "the new date, YYYY/MM/DD, or empty for none")
        ->check(CLI::Validator(
            [](std::string &text) {
                return text.empty() || is_calendar_date(text) ? std::string()
                                                              : "Invalid Date.: \"" + text + "\" is not a day YYYY/MM/DD";
            },
            "YYYY/MM/DD"));
    lifetime->add_flag("--tell-service", options->tell_service,
                       "tell the monitoring service of the part's change even when the value already holds (after a run "
                       "that could not tell it)");
    add_check_flag(lifetime, options->check_only);
    lifetime->get_option("--part")->excludes(set_hours)->excludes(set_date);
    set_hours->needs(lifetime->get_option("--hours"));
    set_date->needs(lifetime->get_option("--date"));
    lifetime->callback([&output, options] { run_lifetime(output, *options); });
}

}  // namespace mgx::tool
