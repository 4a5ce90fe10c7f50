#include "lifetime_changes.h"

#include <algorithm>
#include <cstring>

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

SaveResult save_lifetime_changes(const store::LifetimeRecord &edited, const LifetimeChanges &changes) {
    const LONG written = store::WriteChangedRunningHours(edited, changes.hours.data()) |
                         store::WriteChangedInstallDates(edited, changes.dates.data());
    if (written != 0) return {SaveOutcome::WriteFailed, written};
    if (!tell_parts_changed(changes.message())) return {SaveOutcome::ServiceNotTold, 0};
    return {};
}

}  // namespace mgx::service
