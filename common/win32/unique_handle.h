// Owning wrappers for Win32 handles.
#pragma once

#include <windows.h>

#include <utility>

namespace mgx::win32 {

// Closes with CloseHandle. Both NULL and INVALID_HANDLE_VALUE count as "no handle".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle &) = delete;
    UniqueHandle &operator=(const UniqueHandle &) = delete;
    UniqueHandle(UniqueHandle &&other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle &operator=(UniqueHandle &&other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    void reset(HANDLE handle = nullptr) {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }
    // Gives the handle up to the caller, who closes it from now on.
    HANDLE release() { return std::exchange(handle_, nullptr); }

private:
    HANDLE handle_ = nullptr;
};

// Closes with CloseServiceHandle.
class UniqueServiceHandle {
public:
    UniqueServiceHandle() = default;
    explicit UniqueServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    UniqueServiceHandle(const UniqueServiceHandle &) = delete;
    UniqueServiceHandle &operator=(const UniqueServiceHandle &) = delete;
    UniqueServiceHandle(UniqueServiceHandle &&other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueServiceHandle &operator=(UniqueServiceHandle &&other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~UniqueServiceHandle() { reset(); }

    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_) CloseServiceHandle(handle_);
        handle_ = nullptr;
    }

private:
    SC_HANDLE handle_ = nullptr;
};

}  // namespace mgx::win32
