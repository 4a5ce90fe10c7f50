#include "unit_access_lock.h"

#include <cstdio>
#include <stdexcept>

namespace mgx::tool {

namespace {

constexpr DWORD quiet_wait_ms = 1000;

bool acquired(DWORD result) { return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED; }

}  // namespace

UnitAccessLock::UnitAccessLock() : mutex_(CreateMutexA(nullptr, FALSE, unit_access_mutex)) {
    if (!mutex_) throw std::runtime_error("cannot create the mutex " + std::string(unit_access_mutex));
    DWORD result = WaitForSingleObject(mutex_.get(), quiet_wait_ms);
    if (result == WAIT_TIMEOUT) {
        std::fprintf(stderr, "waiting for another mgxtool run to finish with the management unit\n");
        result = WaitForSingleObject(mutex_.get(), INFINITE);
    }
    if (!acquired(result)) throw std::runtime_error("cannot take the mutex " + std::string(unit_access_mutex));
    held_ = true;
}

UnitAccessLock::~UnitAccessLock() {
    if (held_) ReleaseMutex(mutex_.get());
}

}  // namespace mgx::tool
