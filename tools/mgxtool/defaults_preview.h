// What writing the product key's defaults would change, value by value: the defaults writer is
// run through its replaceable registry calls with calls that read each value instead of
// writing it.
#pragma once

#include <vector>

#include "change_report.h"
#include "registry_defaults.h"

namespace mgx::tool {

// One change per value the writer sets ("HKLM\...\Limit\CPU_FAN"), before as stored ("none"
// where missing), after as it would be written.
std::vector<Change> preview_defaults(const store::DefaultsContext &context);

}  // namespace mgx::tool
