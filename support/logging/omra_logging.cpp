// OMRALogging: under the machine-wide mutex, read the newest 599 records, then write the new
// record and those behind it. The new file is written beside the old one and put in its place
// in one step, so a crash in between leaves the old log whole instead of an empty file.
#include "omra_logging.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "log_record.h"
#include "win32/machine_wide_mutex.h"
#include "win32/unique_handle.h"

using namespace mgx::logging;
using mgx::win32::UniqueHandle;

namespace {

// Held for the whole read and rewrite; without it no line is written, since another writer's
// could be lost.
class HeldMutex {
public:
    HeldMutex() : mutex_(mutex_name) { held_ = mutex_.acquire(INFINITE) == mgx::win32::MachineWideMutex::Wait::Acquired; }
    bool held() const { return held_; }
    // Why it is not held (5: this account may not use the machine-wide mutex).
    DWORD error() const { return mutex_.error() ? mutex_.error() : ERROR_INVALID_HANDLE; }

private:
    mgx::win32::MachineWideMutex mutex_;
    bool held_ = false;
};

// The file's new contents: the new record's place, then the newest records of the file, at
// most 599 whole ones, so the file is written in one piece.
struct Contents {
    std::unique_ptr<char[]> bytes;
    std::size_t length = 0;
};

// Opening creates a missing file. Without a buffer for the kept records the file is rewritten
// with the new record alone.
bool read_kept_records(const char *path, Contents &contents) {
    UniqueHandle file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    std::size_t keep = std::min<std::size_t>(static_cast<std::size_t>(size.QuadPart) / record_size * record_size, kept_bytes);
    contents.bytes.reset(new (std::nothrow) char[record_size + keep]);
    if (!contents.bytes) {
        keep = 0;
        contents.bytes.reset(new (std::nothrow) char[record_size]);
        if (!contents.bytes) return false;
    }
    DWORD got = 0;
    if (keep && !ReadFile(file.get(), contents.bytes.get() + record_size, static_cast<DWORD>(keep), &got, nullptr)) got = 0;
    contents.length = record_size + got / record_size * record_size;
    return true;
}

}  // namespace

extern "C" int __cdecl OMRALogging(const char *path, const char *message) {
    if (!path) return 0;
    HeldMutex held;
    if (!held.held()) {
        SetLastError(held.error());
        return 0;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    Contents contents;
    if (!read_kept_records(path, contents)) return 0;
    const auto record = make_record(now, message);
    std::copy(record.begin(), record.end(), contents.bytes.get());

    const std::string replacement = std::string(path) + ".new";
    UniqueHandle file(CreateFileA(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    DWORD written = 0;
    const bool complete = WriteFile(file.get(), contents.bytes.get(), static_cast<DWORD>(contents.length), &written, nullptr) &&
                          written == contents.length;
    file.reset();
    if (!complete || !MoveFileExA(replacement.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(replacement.c_str());
        return 0;
    }
    return 1;
}
