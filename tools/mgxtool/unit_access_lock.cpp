#include "unit_access_lock.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "elevation.h"
#include "output.h"

namespace mgx::tool {

namespace {

constexpr DWORD quiet_wait_ms = 1000;

std::string narrow(const std::wstring &text) { return std::string(text.begin(), text.end()); }

}  // namespace

UnitAccessLock::UnitAccessLock(DWORD limit_ms) : mutex_(unit_access_mutex) {
    const std::string name = narrow(mutex_.global_name());
    if (mutex_.error() == ERROR_INVALID_OWNER)
        throw CommandFailed("the machine-wide mutex " + name + " was created by another account (owner " +
                            narrow(mutex_.foreign_owner()) +
                            "), which could hold it for ever; mgxtool does not wait on it. End the program that holds it "
                            "(or restart Windows) and run mgxtool again");
    if (mutex_.error()) throw_refused("the machine-wide mutex " + name, mutex_.error());
    using Wait = win32::MachineWideMutex::Wait;
    Wait result = mutex_.acquire(std::min(quiet_wait_ms, limit_ms));
    if (result == Wait::TimedOut && limit_ms > quiet_wait_ms) {
        std::fprintf(stderr, "waiting for another mgxtool run to finish with the management unit\n");
        result = mutex_.acquire(limit_ms == INFINITE ? INFINITE : limit_ms - quiet_wait_ms);
    }
    if (result == Wait::Failed) throw CommandFailed("cannot take the mutex " + name);
    held_ = result == Wait::Acquired;
}

}  // namespace mgx::tool
