// Returning every value of the product key to its default, as the settings program's data
// initialisation does it for every door (the main menu's chord, mgxtool defaults): only after
// the person said yes, and never while the monitoring service runs, since it works on the same
// values.
#pragma once

#include <windows.h>

#include <functional>

#include "registry_defaults.h"

namespace mgx::service {

enum class ResetOutcome {
    Declined,        // the person did not say yes: nothing was asked of the service
    ServiceRunning,  // the service answered its command pipe: nothing was written
    Written,         // the defaults were written (status: WriteRegistryDefaults')
};
struct ResetResult {
    ResetOutcome outcome = ResetOutcome::Declined;
    LONG status = 0;
};

// Asks `confirmed`, then the service; when it does not answer, runs `before_writing` (the
// settings program beeps) and writes the defaults of `context`.
ResetResult reset_product_key(const store::DefaultsContext &context, const std::function<bool()> &confirmed,
                              const std::function<void()> &before_writing = {});

}  // namespace mgx::service
