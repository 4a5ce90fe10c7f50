// One record of the log file.
#pragma once

#include <windows.h>

#include <array>

#include "omra_logging.h"

namespace mgx::logging {

// "%-20s%-490s" of the time stamp "%y/%m/%d-%H:%M:%S" and the message, cut to 510 characters,
// then CR LF.
std::array<char, record_size> make_record(const SYSTEMTIME &local_time, const char *message);

}  // namespace mgx::logging
