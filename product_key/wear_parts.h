// The wear parts of the product key: one line per part, from which the defaults writer, the
// LifetimeRecord operations and every display of the parts take their value names, their
// places in the record and their positions in the parts-change message.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace mgx::store {

// A part's number wherever parts are named by number: its position in the parts-change message
// and in the monitoring service's notification state.
enum WearPartIndex : int {
    CpuFan = 0,
    RaidBattery1 = 1,  // RAID card n's battery is RaidBattery1 + n - 1, up to 16
    UpsBattery = 17,
    PowerSupply = 18,
    ChassisFan = 19,
};
inline constexpr int wear_part_count = 20;
inline constexpr int raid_card_count = 16;

// Fans and the power supply age by their running hours, batteries by calendar time.
enum class Aging { RunningHours, InstallDate };

struct WearPart {
    WearPartIndex index;
    std::string name;              // how people and scripts name it: "chassis-fan", "raid-03", "ups-battery"
    std::string caption;           // the component lifetime dialog's English caption: "Housing FAN"
    std::string value_name;        // NotifyDone flag; Current counter or SetupDate install date
    std::string notify_date_name;  // NotifyDone date text
    std::string life_time_name;    // Limit value (one "RAID" for all cards)
    Aging aging;
    int slot;            // LifetimeRecord running_hours[] or install_dates[] index
    int life_time_slot;  // LifetimeRecord life_times[] index
    unsigned long default_life_time;
};

// Every part, by WearPartIndex.
const std::array<WearPart, wear_part_count> &wear_parts();
// How mgxtool and the change log name a part: "Housing FAN (chassis-fan)".
inline std::string shown_name(const WearPart &part) { return part.caption + " (" + part.name + ")"; }
inline const WearPart &wear_part(WearPartIndex index) { return wear_parts()[index]; }

// The order in which the registry's tables list the parts: CPU fan, chassis fan, power supply,
// UPS battery, RAID cards 1 to 16.
const std::array<WearPartIndex, wear_part_count> &registry_order();

// The part whose LifetimeRecord running-hours counter (0 to 2) or life time (0 to 4) is meant.
const WearPart &running_hours_part(int slot);
const WearPart &life_time_part(int slot);
// Install date number 1 to 16: that RAID card's battery; any other number: the UPS battery.
const WearPart &install_date_part(long number);
// The part by its name; nullptr for a name no part has.
const WearPart *wear_part_named(std::string_view name);

// A numbered value name: the prefix and the number in two decimal digits ("RAID07").
std::string numbered_name(const char *prefix, long number);

}  // namespace mgx::store
