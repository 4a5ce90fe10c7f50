// The system's named mutexes exist once for the whole machine, whichever logon session a program
// runs in: "Global\NAME", which only SYSTEM and the Administrators may create, open and wait on.
// On Windows a bare "NAME" exists once per session, so a scheduled run (session 0) and an
// administrator's remote-desktop run (session 1 and up) would not exclude each other.
//
// An older program of the product family that still uses the bare name is kept out too: the
// session's "NAME" is held beside the global one (the global one first, so two holders of both
// never wait on each other).
//
// Any program may create a named mutex first. One whose owner is neither SYSTEM, the
// Administrators nor this program's own account was planted by somebody else, who could hold it
// for ever: it is refused (ERROR_INVALID_OWNER) instead of waited on.
#pragma once

#include <windows.h>

#include <string>

#include "win32/unique_handle.h"

namespace mgx::win32 {

class MachineWideMutex {
public:
    // Creates or opens both mutexes, not owned.
    explicit MachineWideMutex(const std::wstring &name);
    MachineWideMutex(const MachineWideMutex &) = delete;
    MachineWideMutex &operator=(const MachineWideMutex &) = delete;
    ~MachineWideMutex() { release(); }

    // 0 when both could be had, else the Win32 error (5: this account may not use the global one;
    // ERROR_INVALID_OWNER: one was created by another account, named by foreign_owner()).
    DWORD error() const { return error_; }
    // The owner (as "S-1-5-19") of a mutex refused for its owner, else empty.
    const std::wstring &foreign_owner() const { return foreign_owner_; }
    // Either mutex existed already: another holder of the name is running.
    bool existed() const { return existed_; }
    const std::wstring &global_name() const { return global_name_; }

    enum class Wait { Acquired, TimedOut, Failed };
    // Takes both, waiting at most `limit_ms` in all (INFINITE: without a limit); a holder that
    // died leaves them to the next. Failed while this object holds them already: one release
    // frees what one acquire took.
    Wait acquire(DWORD limit_ms);
    void release();

private:
    // Keeps `mutex` when it may be used, else sets the error (and says why) and returns false.
    bool accept(UniqueHandle &mutex);

    const std::wstring global_name_;
    std::wstring foreign_owner_;
    UniqueHandle global_, session_;
    DWORD error_ = 0;
    bool existed_ = false;
    int held_ = 0;  // how many of the two this object holds
};

}  // namespace mgx::win32
