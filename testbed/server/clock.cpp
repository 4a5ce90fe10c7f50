#include "clock.h"

#include <windows.h>

namespace mgx::testbed {

std::int64_t SystemClock::source_ms() const {
    FILETIME file_time;
    GetSystemTimeAsFileTime(&file_time);
    ULARGE_INTEGER ticks;  // 100 ns since 1601
    ticks.LowPart = file_time.dwLowDateTime;
    ticks.HighPart = file_time.dwHighDateTime;
    constexpr std::int64_t unix_epoch_ticks = 116444736000000000LL;
    return (static_cast<std::int64_t>(ticks.QuadPart) - unix_epoch_ticks) / 10000;
}

}  // namespace mgx::testbed
