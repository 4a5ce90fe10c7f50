#include "lifetime_store.h"

#include <cstring>

#include "language.h"
#include "wear_parts.h"

// The registry access library, bound by ordinal (1, 3 and 4).
extern "C" {
LONG __cdecl CreateRegKey_DL(const char *key);
LONG __cdecl SetRegVal_DL(const char *key, const char *name, DWORD type, const void *data, DWORD size);
LONG __cdecl GetRegVal_DL(const char *key, const char *name, DWORD type, void *data, DWORD size);
}

namespace mgx::store {

namespace {

// A REG_DWORD value through the registry access library, into `value` only when it really is one
// (4 bytes of type REG_DWORD); anything else leaves `value` and gives the read's error, or
// ERROR_INVALID_DATA for another type or size. A longer value never puts its size into `value`
// (where the library would), so a counter never shows a byte count.
LONG read_number(const char *key, const char *name, DWORD &value) {
    DWORD stored = 0;
    const LONG status = GetRegVal_DL(key, name, REG_DWORD, &stored, sizeof stored);
    if (status != ERROR_SUCCESS) return status;
    DWORD type = REG_NONE, size = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_DWORD ||
        size != sizeof stored)
        return ERROR_INVALID_DATA;
    value = stored;
    return ERROR_SUCCESS;
}

}  // namespace

LONG ReadLanguage(LanguageIndex *language, LANGID user_language) {
    *language = language_default(Writer::SettingsProgram, user_language, user_language);
    DWORD stored = 0;
    const LONG status = read_number(root_key, "Language", stored);
    if (status == ERROR_SUCCESS && (stored == Japanese || stored == English)) *language = static_cast<LanguageIndex>(stored);
    return status;
}

LONG ReadRunningHours(int index, std::int32_t *hours) {
    DWORD value = static_cast<DWORD>(*hours);
    const LONG status = read_number(current_key, running_hours_part(index).value_name.c_str(), value);
    *hours = static_cast<std::int32_t>(value);
    return status;
}

LONG WriteRunningHours(int index, std::int32_t hours) {
    return SetRegVal_DL(current_key, running_hours_part(index).value_name.c_str(), REG_DWORD, &hours, sizeof hours);
}

LONG ReadLifeTime(int index, std::int32_t *hours) {
    DWORD value = static_cast<DWORD>(*hours);
    const LONG status = read_number(limit_key, life_time_part(index).life_time_name.c_str(), value);
    *hours = static_cast<std::int32_t>(value);
    return status;
}

LONG ReadInstallDate(long number, char (&date)[date_size]) {
    char scratch[date_size] = {};
    LONG status = GetRegVal_DL(setup_date_key, install_date_part(number).value_name.c_str(), REG_SZ, scratch, sizeof scratch);
    if (status == ERROR_SUCCESS) {
        scratch[date_size - 1] = '\0';
        std::memcpy(date, scratch, date_size);
    }
    return status;
}

LONG WriteInstallDate(long number, const char (&date)[date_size]) {
    return SetRegVal_DL(setup_date_key, install_date_part(number).value_name.c_str(), REG_SZ, date, date_size);
}

LONG ReadRaidCount(DWORD *count) { return read_number(setup_date_key, "RAIDCount", *count); }

LONG ReadNotificationSwitches(NotificationSwitches &switches) {
    LONG status = read_number(notify_method_key, "LCD", switches.lcd);
    status |= read_number(notify_method_key, "DSP", switches.screen);
    return status;
}

LONG WriteNotificationSwitches(const NotificationSwitches &switches) {
    // A missing key is made first, so the choice is kept rather than lost.
    if (const LONG created = CreateRegKey_DL(notify_method_key)) return created;
    LONG status = SetRegVal_DL(notify_method_key, "LCD", REG_DWORD, &switches.lcd, sizeof switches.lcd);
    status |= SetRegVal_DL(notify_method_key, "DSP", REG_DWORD, &switches.screen, sizeof switches.screen);
    return status;
}

LONG ReadLifetimeRecord(LifetimeRecord &record) {
    LONG hours = 0, lives = 0, dates = 0;
    for (int index = 0; index < 3; ++index) hours |= ReadRunningHours(index, &record.running_hours[index]);
    for (int index = 0; index < 5; ++index) lives |= ReadLifeTime(index, &record.life_times[index]);
    for (long number = 1; number <= 17; ++number) dates |= ReadInstallDate(number, record.install_dates[number - 1]);
    return hours | lives | dates;
}

LONG WriteChangedRunningHours(const LifetimeRecord &record, const bool changed[3]) {
    LONG status = 0;
    for (int index = 0; index < 3; ++index)
        if (changed[index]) status |= WriteRunningHours(index, record.running_hours[index]);
    return status;
}

LONG WriteChangedInstallDates(const LifetimeRecord &record, const bool changed[17]) {
    LONG status = 0;
    for (int index = 0; index < 17; ++index)
        if (changed[index]) status |= WriteInstallDate(index + 1, record.install_dates[index]);
    return status;
}

}  // namespace mgx::store
