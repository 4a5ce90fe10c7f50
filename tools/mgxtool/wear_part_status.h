// Where each wear part stands: its life time, what it has used of it (running hours, or the time
// since its install date), when it is due and whether it is due now. `lifetime` shows it and the
// metrics export it, from this one reckoning.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lifetime_store.h"
#include "wear_parts.h"

namespace mgx::tool {

struct WearPartStatus {
    const store::WearPart *part = nullptr;
    std::int32_t life_hours = 0;
    std::int32_t running_hours = 0;  // a part that ages by its running hours
    // A battery's install date: none (empty, or the zero date that stands for none), a day, or a
    // text that is no date at all.
    enum class Installed { None, Day, Impossible } installed = Installed::None;
    std::string date_text;
    double installed_seconds = 0;  // since 1970/01/01, for a day
    bool in_use = true;            // a RAID card's battery beyond "RAIDCount" is not

    bool ages_by_hours() const { return part->aging == store::Aging::RunningHours; }
    std::int64_t hours_left() const { return std::int64_t{life_hours} - running_hours; }
    // For a battery with a day: when it is due.
    double next_change_seconds() const { return installed_seconds + life_hours * 3600.0; }
    // Due now (`now` in seconds since 1970); nullopt for a battery without a readable day.
    std::optional<bool> due(double now) const;
};

// Every part, by WearPartIndex.
std::vector<WearPartStatus> wear_part_statuses(const store::LifetimeRecord &record, DWORD raid_cards);

// Now, in seconds since 1970.
double seconds_now();
// A date of seconds since 1970 as the settings program writes dates, "YYYY/MM/DD".
std::string date_text_of(double seconds);

}  // namespace mgx::tool
