#include "wear_parts.h"

#include <cstdio>

namespace mgx::store {

namespace {

constexpr unsigned long fan_life_time = 26000;
constexpr unsigned long battery_life_time = 17520;  // 730 days

std::array<WearPart, wear_part_count> make_parts() {
    std::array<WearPart, wear_part_count> parts;
    parts[CpuFan] = {CpuFan,    "cpu-fan",           "CPU FAN", "CPU_FAN", "CPU_FAN_DATE",
                     "CPU_FAN", Aging::RunningHours, 0,         0,         fan_life_time};
    parts[PowerSupply] = {PowerSupply, "power-supply", "PSU", "PSU", "PSU_DATE", "PSU", Aging::RunningHours, 1, 1, fan_life_time};
    parts[ChassisFan] = {
        ChassisFan, "chassis-fan", "Housing FAN", "CAIS_FAN", "CAIS_FAN_DATE", "CAIS_FAN", Aging::RunningHours, 2,
        2,          fan_life_time};
    parts[UpsBattery] = {UpsBattery, "ups-battery",      "UPS(BBU)",      "UPS", "UPS_DATE",
                         "UPS",      Aging::InstallDate, raid_card_count, 3,     battery_life_time};
    for (int card = 1; card <= raid_card_count; ++card) {
        const auto index = static_cast<WearPartIndex>(RaidBattery1 + card - 1);
        // The wear part in the order of its fields.
        // clang-format off
        parts[index] = {index,  numbered_name("raid-", card), "Battery(RAID Card#" + numbered_name("", card) + ")", numbered_name("RAID", card), numbered_name("RAID_DATE", card), "RAID", Aging::InstallDate,
                        card - 1, 4, battery_life_time};
        // clang-format on
    }
    return parts;
}

// The first part that matches; the UPS battery for a slot no part has (its counter and life
// time names then find no value).
template <typename Matches>
const WearPart &first_part(Matches matches) {
    for (const WearPart &part : wear_parts())
        if (matches(part)) return part;
    return wear_part(UpsBattery);
}

}  // namespace

std::string numbered_name(const char *prefix, long number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%02ld", prefix, number);
    return name;
}

const std::array<WearPart, wear_part_count> &wear_parts() {
    static const std::array<WearPart, wear_part_count> parts = make_parts();
    return parts;
}

const std::array<WearPartIndex, wear_part_count> &registry_order() {
    static const std::array<WearPartIndex, wear_part_count> order = [] {
        std::array<WearPartIndex, wear_part_count> parts = {CpuFan, ChassisFan, PowerSupply, UpsBattery};
        for (int card = 1; card <= raid_card_count; ++card) parts[3 + card] = static_cast<WearPartIndex>(RaidBattery1 + card - 1);
        return parts;
    }();
    return order;
}

const WearPart &running_hours_part(int slot) {
    return first_part([slot](const WearPart &part) { return part.aging == Aging::RunningHours && part.slot == slot; });
}

const WearPart &life_time_part(int slot) {
    return first_part([slot](const WearPart &part) { return part.life_time_slot == slot; });
}

const WearPart *wear_part_named(std::string_view name) {
    for (const WearPart &part : wear_parts())
        if (part.name == name) return &part;
    return nullptr;
}

const WearPart &install_date_part(long number) {
    if (number >= 1 && number <= raid_card_count) return wear_part(static_cast<WearPartIndex>(RaidBattery1 + number - 1));
    return wear_part(UpsBattery);
}

}  // namespace mgx::store
