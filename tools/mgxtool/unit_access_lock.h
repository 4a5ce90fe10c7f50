// mgxtool runs take turns with the management unit: one named mutex, held from Halcore's start
// to its shut-down (and around driver service changes), so two runs never interleave their
// requests. Programs that share a file name share the SMBus driver's lock too, which alone does
// not keep them apart.
#pragma once

#include "win32/unique_handle.h"

namespace mgx::tool {

inline constexpr const char *unit_access_mutex = "MgxToolUnitAccess";

class UnitAccessLock {
public:
    // Waits for the other runs (saying so on stderr when it has to wait); a run that died while
    // holding the lock leaves it to the next.
    UnitAccessLock();
    UnitAccessLock(const UnitAccessLock &) = delete;
    UnitAccessLock &operator=(const UnitAccessLock &) = delete;
    ~UnitAccessLock();

private:
    win32::UniqueHandle mutex_;
    bool held_ = false;
};

}  // namespace mgx::tool
