// mgxtool runs take turns with the management unit: one named mutex, held from Halcore's start
// to its shut-down (and around driver service changes), so two runs never interleave their
// requests. Programs that share a file name share the SMBus driver's lock too, which alone does
// not keep them apart.
#pragma once

#include <windows.h>

#include "win32/machine_wide_mutex.h"

namespace mgx::tool {

// Machine-wide ("Global\MgxToolUnitAccess"), so runs in different logon sessions take turns too.
inline constexpr const wchar_t *unit_access_mutex = L"MgxToolUnitAccess";

class UnitAccessLock {
public:
    // Waits for the other runs, at most `limit_ms` (saying so on stderr when it has to wait); a
    // run that died while holding the lock leaves it to the next. Throws when the mutex cannot
    // be used at all.
    explicit UnitAccessLock(DWORD limit_ms = INFINITE);
    // False when the limit ran out first.
    bool held() const { return held_; }

private:
    win32::MachineWideMutex mutex_;
    bool held_ = false;
};

}  // namespace mgx::tool
