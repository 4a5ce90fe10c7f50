// The wear-part table: part numbers, value names and record places as every user of the product
// key and the parts-change message expects them.
#include <gtest/gtest.h>

#include "wear_parts.h"

namespace mgx::store {
namespace {

TEST(WearParts, NumbersNamesAndRecordPlaces) {
    struct Expected {
        WearPartIndex index;
        const char *name, *notify_date, *life_time;
        Aging aging;
        int slot, life_time_slot;
    };
    const Expected expected[] = {
        {CpuFan, "CPU_FAN", "CPU_FAN_DATE", "CPU_FAN", Aging::RunningHours, 0, 0},
        {RaidBattery1, "RAID01", "RAID_DATE01", "RAID", Aging::InstallDate, 0, 4},
        {static_cast<WearPartIndex>(16), "RAID16", "RAID_DATE16", "RAID", Aging::InstallDate, 15, 4},
        {UpsBattery, "UPS", "UPS_DATE", "UPS", Aging::InstallDate, 16, 3},
        {PowerSupply, "PSU", "PSU_DATE", "PSU", Aging::RunningHours, 1, 1},
        {ChassisFan, "CAIS_FAN", "CAIS_FAN_DATE", "CAIS_FAN", Aging::RunningHours, 2, 2},
    };
    for (const Expected &part : expected) {
        const WearPart &actual = wear_part(part.index);
        EXPECT_EQ(actual.index, part.index);
        EXPECT_EQ(actual.value_name, part.name);
        EXPECT_EQ(actual.notify_date_name, part.notify_date);
        EXPECT_EQ(actual.life_time_name, part.life_time);
        EXPECT_EQ(actual.aging, part.aging) << part.name;
        EXPECT_EQ(actual.slot, part.slot) << part.name;
        EXPECT_EQ(actual.life_time_slot, part.life_time_slot) << part.name;
    }
    EXPECT_EQ(wear_part(CpuFan).default_life_time, 26000u);
    EXPECT_EQ(wear_part(UpsBattery).default_life_time, 17520u);
}

TEST(WearParts, RecordSlotsAndInstallDateNumbersFindTheirParts) {
    EXPECT_EQ(running_hours_part(0).index, CpuFan);
    EXPECT_EQ(running_hours_part(1).index, PowerSupply);
    EXPECT_EQ(running_hours_part(2).index, ChassisFan);
    EXPECT_EQ(life_time_part(3).index, UpsBattery);
    EXPECT_EQ(life_time_part(4).life_time_name, "RAID");
    EXPECT_EQ(install_date_part(1).value_name, "RAID01");
    EXPECT_EQ(install_date_part(16).value_name, "RAID16");
    for (long other : {0L, 17L, -1L, 99L}) EXPECT_EQ(install_date_part(other).index, UpsBattery) << other;
}

TEST(WearParts, RegistryOrderListsEveryPartOnce) {
    const auto &order = registry_order();
    EXPECT_EQ(order[0], CpuFan);
    EXPECT_EQ(order[1], ChassisFan);
    EXPECT_EQ(order[2], PowerSupply);
    EXPECT_EQ(order[3], UpsBattery);
    for (int card = 1; card <= raid_card_count; ++card) EXPECT_EQ(order[3 + card], RaidBattery1 + card - 1);
}

}  // namespace
}  // namespace mgx::store
