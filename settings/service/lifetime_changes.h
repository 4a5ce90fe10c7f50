// A change of the wear parts' lifetime record as every writer makes it (the component lifetime
// dialog, mgxtool, and through it the Ansible role): the values that differ from what was read
// are written, and the monitoring service, which works on the same values, is told which parts
// were changed.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "change_log.h"
#include "lifetime_store.h"
#include "service_requests.h"

namespace mgx::service {

struct LifetimeChanges {
    std::array<bool, 3> hours{};                           // by counter: CPU fan, power supply, chassis fan
    std::array<bool, store::raid_card_count + 1> dates{};  // RAID cards 1 to 16, then the UPS

    bool any() const;
    PartsChangeMessage message() const;
};

// What `edited` changes against `baseline`: the counters by value, the install dates by their
// 16 bytes.
LifetimeChanges changes_between(const store::LifetimeRecord &baseline, const store::LifetimeRecord &edited);

// An install date as people read it: "2024/05/06", or "none".
std::string shown_date(const char (&date)[store::date_size]);

// Each changed value as the change log records it: "Housing FAN (chassis-fan) running hours",
// "UPS(BBU) (ups-battery) install date", with the values before and after.
std::vector<LoggedChange> logged_changes(const store::LifetimeRecord &baseline, const store::LifetimeRecord &edited,
                                         const LifetimeChanges &changes);

enum class SaveOutcome {
    Saved,           // written, and the service took note
    WriteFailed,     // the registry refused a value (status): the service was not told
    ServiceNotTold,  // written, but the service did not answer on its parts-change pipe
};
struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    LONG status = 0;  // the registry's Win32 codes, ORed
};

// Writes the changed values of `edited`, then tells the service.
SaveResult save_lifetime_changes(const store::LifetimeRecord &edited, const LifetimeChanges &changes);

}  // namespace mgx::service
