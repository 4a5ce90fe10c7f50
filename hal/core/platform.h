// The platform calls whose effects tests must observe or stage without the real thing: every
// prescribed wait, and device requests. Production code calls through platform(); tests swap
// the members and restore them.
#pragma once

#include <windows.h>

namespace mgx::hal {

// Function pointers that return a Win32 type, which the formatter would split after the name.
// clang-format off
struct Platform {
    void (*sleep)(DWORD milliseconds);
    BOOL (*device_io_control)(HANDLE device, DWORD code, void *input, DWORD input_length, void *output,
                              DWORD output_capacity, DWORD *returned);
    DWORD (*tick_count)();  // milliseconds, for waits bounded by elapsed time
};
// clang-format on

Platform &platform();
Platform system_platform();

// Every wait the library makes goes through here.
inline void wait_ms(DWORD milliseconds) { platform().sleep(milliseconds); }

}  // namespace mgx::hal
