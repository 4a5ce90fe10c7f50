// One owning wrapper for every kind of platform resource: handles, registry keys, service
// handles, service database locks, loaded libraries. What releases the resource and which values mean "nothing
// owned" are its parameters.
#pragma once

#include <windows.h>

#include <utility>

namespace mgx::win32 {

// Resources whose only "nothing" is the null value.
template <typename Resource>
struct NullIsEmpty {
    static Resource empty() { return Resource{}; }
    static bool is_empty(Resource resource) { return resource == Resource{}; }
};

// Kernel handles: both NULL and INVALID_HANDLE_VALUE mean "no handle".
struct NullOrInvalidHandleIsEmpty {
    static HANDLE empty() { return nullptr; }
    static bool is_empty(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }
};

template <typename Resource, auto close, typename Empty = NullIsEmpty<Resource>>
class Owned {
public:
    Owned() = default;
    explicit Owned(Resource resource) : resource_(resource) {}
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    Owned(Owned &&other) noexcept : resource_(other.release()) {}
    Owned &operator=(Owned &&other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Owned() { reset(); }

    Resource get() const { return resource_; }
    bool valid() const { return !Empty::is_empty(resource_); }
    explicit operator bool() const { return valid(); }
    // Releases what is owned now and takes `resource` instead.
    void reset(Resource resource = Empty::empty()) {
        if (valid()) close(resource_);
        resource_ = resource;
    }
    // Gives the resource up to the caller, who releases it from now on.
    Resource release() { return std::exchange(resource_, Empty::empty()); }

private:
    Resource resource_ = Empty::empty();
};

using UniqueHandle = Owned<HANDLE, &CloseHandle, NullOrInvalidHandleIsEmpty>;
using UniqueServiceHandle = Owned<SC_HANDLE, &CloseServiceHandle>;
using UniqueRegistryKey = Owned<HKEY, &RegCloseKey>;
using UniqueModule = Owned<HMODULE, &FreeLibrary>;

// A key opened (or created) with its status: the key is owned only when the status is 0.
struct OpenedKey {
    UniqueRegistryKey key;
    LONG status;
};

inline OpenedKey open_registry_key(HKEY root, const char *path, REGSAM access) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(root, path, 0, access, &key);
    return {UniqueRegistryKey(status == ERROR_SUCCESS ? key : nullptr), status};
}

inline OpenedKey create_registry_key(HKEY root, const char *path, REGSAM access) {
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    return {UniqueRegistryKey(status == ERROR_SUCCESS ? key : nullptr), status};
}

}  // namespace mgx::win32
