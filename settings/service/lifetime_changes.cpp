#include "lifetime_changes.h"

#include <algorithm>
#include <cstring>

#include "wear_parts.h"

namespace mgx::service {

bool LifetimeChanges::any() const {
    const auto set = [](bool changed) { return changed; };
    return std::any_of(hours.begin(), hours.end(), set) || std::any_of(dates.begin(), dates.end(), set);
}

PartsChangeMessage LifetimeChanges::message() const {
    PartsChangeMessage message;
    for (int counter = 0; counter < 3; ++counter) message.mark(store::running_hours_part(counter).index, hours[counter]);
    for (int row = 0; row <= store::raid_card_count; ++row) message.mark(store::install_date_part(row + 1).index, dates[row]);
    return message;
}

LifetimeChanges changes_between(const store::LifetimeRecord &baseline, const store::LifetimeRecord &edited) {
    LifetimeChanges changes;
    for (int counter = 0; counter < 3; ++counter)
        changes.hours[counter] = edited.running_hours[counter] != baseline.running_hours[counter];
    for (int row = 0; row <= store::raid_card_count; ++row)
        changes.dates[row] = std::memcmp(edited.install_dates[row], baseline.install_dates[row], store::date_size) != 0;
    return changes;
}

std::string shown_date(const char (&date)[store::date_size]) {
    const std::string text(date, strnlen(date, store::date_size));
    return text.empty() ? std::string("none") : text;
}

std::vector<LoggedChange> logged_changes(const store::LifetimeRecord &baseline, const store::LifetimeRecord &edited,
                                         const LifetimeChanges &changes) {
    std::vector<LoggedChange> logged;
    for (const store::WearPart &part : store::wear_parts()) {
        const int slot = part.slot;
        if (part.aging == store::Aging::RunningHours && changes.hours[slot])
            logged.push_back({store::shown_name(part) + " running hours", std::to_string(baseline.running_hours[slot]),
                              std::to_string(edited.running_hours[slot])});
        if (part.aging == store::Aging::InstallDate && changes.dates[slot])
            logged.push_back({store::shown_name(part) + " install date", shown_date(baseline.install_dates[slot]),
                              shown_date(edited.install_dates[slot])});
    }
    return logged;
}

SaveResult save_lifetime_changes(const store::LifetimeRecord &edited, const LifetimeChanges &changes) {
    const LONG written = store::WriteChangedRunningHours(edited, changes.hours.data()) |
                         store::WriteChangedInstallDates(edited, changes.dates.data());
    if (written != 0) return {SaveOutcome::WriteFailed, written};
    if (!tell_parts_changed(changes.message())) return {SaveOutcome::ServiceNotTold, 0};
    return {};
}

}  // namespace mgx::service
