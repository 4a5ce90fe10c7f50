// The settings program's reads and writes of single values of the product key, through the
// registry access library, and the LifetimeRecord the component lifetime dialog works on.
#pragma once

#include <windows.h>

#include <cstdint>

#include "language.h"
#include "product_key.h"

namespace mgx::store {

struct LifetimeRecord {
    char install_dates[17][date_size];  // 0 to 15: RAID cards 1 to 16; 16: UPS
    std::int32_t running_hours[3];      // 0 CPU fan, 1 power supply, 2 chassis fan
    std::int32_t life_times[5];         // 0 CPU fan, 1 power supply, 2 chassis fan, 3 UPS, 4 RAID batteries
};

// Every operation returns the library's status (a Win32 code; ORed over the items of a group).
// A number stored as anything but a 4-byte REG_DWORD counts as missing: the destination keeps
// its value.
// The user-interface language: the settings program's rule for `user_language`, replaced by the
// registry's "Language" when that is a REG_DWORD of 0 or 1. Any other stored value (another
// number, another type or size) counts as missing, so no text table is ever indexed with it.
LONG ReadLanguage(LanguageIndex *language, LANGID user_language);
LONG ReadRunningHours(int index, std::int32_t *hours);
LONG WriteRunningHours(int index, std::int32_t hours);
LONG ReadLifeTime(int index, std::int32_t *hours);
// Number 1 to 16: "RAID01" to "RAID16"; any other number: "UPS". Only a successful read
// changes the destination.
LONG ReadInstallDate(long number, char (&date)[date_size]);
LONG WriteInstallDate(long number, const char (&date)[date_size]);
LONG ReadRaidCount(DWORD *count);
// Where threshold violations are shown: "LCD" (the LCD panel) and "DSP" (the screen) of the
// NotifyMethod key, 0 for off.
struct NotificationSwitches {
    DWORD lcd = 0, screen = 0;
};
// A value that is not a REG_DWORD leaves its switch as it was.
LONG ReadNotificationSwitches(NotificationSwitches &switches);
// Makes the key when it is missing, then writes "LCD" and "DSP".
LONG WriteNotificationSwitches(const NotificationSwitches &switches);

LONG ReadLifetimeRecord(LifetimeRecord &record);
LONG WriteChangedRunningHours(const LifetimeRecord &record, const bool changed[3]);
LONG WriteChangedInstallDates(const LifetimeRecord &record, const bool changed[17]);

}  // namespace mgx::store
