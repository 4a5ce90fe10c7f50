#include "win32/machine_wide_mutex.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "win32/trusted_owner.h"

namespace mgx::win32 {

namespace {

// SYSTEM and the Administrators: full access; nobody else any (protected from inheritance).
constexpr const wchar_t *global_access = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

struct LocalMemory {
    void operator()(void *memory) const { LocalFree(memory); }
};

bool acquired(DWORD result) { return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED; }

}  // namespace

MachineWideMutex::MachineWideMutex(const std::wstring &name) : global_name_(L"Global\\" + name) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(global_access, SDDL_REVISION_1, &descriptor, nullptr)) {
        error_ = GetLastError();
        return;
    }
    const std::unique_ptr<void, LocalMemory> owned_descriptor(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    global_.reset(CreateMutexW(&attributes, FALSE, global_name_.c_str()));
    if (!global_) {
        error_ = GetLastError();
        return;
    }
    existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!accept(global_)) return;
    session_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!session_) {
        error_ = GetLastError();
        return;
    }
    existed_ = existed_ || GetLastError() == ERROR_ALREADY_EXISTS;
    accept(session_);
}

bool MachineWideMutex::accept(UniqueHandle &mutex) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetSecurityInfo(mutex.get(), SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                                         nullptr, &descriptor);
    const std::unique_ptr<void, LocalMemory> owned_descriptor(descriptor);
    // Windows gives every named object an owner; an object without one (Wine leaves the owner
    // out of a default descriptor) names no other account.
    if (status == ERROR_SUCCESS && (!owner || is_trusted_owner(owner))) return true;
    error_ = status == ERROR_SUCCESS ? ERROR_INVALID_OWNER : status;
    if (owner) foreign_owner_ = sid_text(owner);
    mutex.reset();
    return false;
}

MachineWideMutex::Wait MachineWideMutex::acquire(DWORD limit_ms) {
    if (error_ || held_) return Wait::Failed;
    const ULONGLONG started = GetTickCount64();
    const auto left = [&]() -> DWORD {
        if (limit_ms == INFINITE) return INFINITE;
        const ULONGLONG spent = GetTickCount64() - started;
        return spent >= limit_ms ? 0 : static_cast<DWORD>(limit_ms - spent);
    };
    for (HANDLE mutex : {global_.get(), session_.get()}) {
        const DWORD result = WaitForSingleObject(mutex, left());
        if (!acquired(result)) {
            release();
            return result == WAIT_TIMEOUT ? Wait::TimedOut : Wait::Failed;
        }
        ++held_;
    }
    return Wait::Acquired;
}

void MachineWideMutex::release() {
    if (held_ == 2) ReleaseMutex(session_.get());
    if (held_ >= 1) ReleaseMutex(global_.get());
    held_ = 0;
}

}  // namespace mgx::win32
