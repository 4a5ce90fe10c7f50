#include "wear_part_status.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "cli/input_parsing.h"

namespace mgx::tool {

std::optional<bool> WearPartStatus::due(double now) const {
    if (ages_by_hours()) return running_hours >= life_hours;
    if (installed != Installed::Day) return std::nullopt;
    return next_change_seconds() < now;
}

std::vector<WearPartStatus> wear_part_statuses(const store::LifetimeRecord &record, DWORD raid_cards) {
    std::vector<WearPartStatus> statuses;
    for (const store::WearPart &part : store::wear_parts()) {
        WearPartStatus status;
        status.part = &part;
        status.life_hours = record.life_times[part.life_time_slot];
        if (part.aging == store::Aging::RunningHours) {
            status.running_hours = record.running_hours[part.slot];
        } else {
            status.in_use = part.index == store::UpsBattery || part.index - store::RaidBattery1 < static_cast<int>(raid_cards);
            const char *date = record.install_dates[part.slot];
            status.date_text.assign(date, strnlen(date, store::date_size));
            if (!status.date_text.empty() && status.date_text != "1899/12/30") {
                const std::optional<std::chrono::year_month_day> day = cli::calendar_date(status.date_text);
                status.installed = day ? WearPartStatus::Installed::Day : WearPartStatus::Installed::Impossible;
                if (day)
                    status.installed_seconds =
                        std::chrono::duration<double>(std::chrono::sys_days(*day).time_since_epoch()).count();
            }
        }
        statuses.push_back(status);
    }
    return statuses;
}

double seconds_now() {
    return static_cast<double>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

std::string date_text_of(double seconds) {
    const auto day =
        std::chrono::floor<std::chrono::days>(std::chrono::sys_seconds(std::chrono::seconds(static_cast<long long>(seconds))));
    const std::chrono::year_month_day date(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02u/%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()));
    return text;
}

}  // namespace mgx::tool
