// OMRALogging: under the machine-wide mutex, read the newest 599 records, then write the new
// record and those behind it. The new file is written beside the old one and put in its place
// in one step, so a crash in between leaves the old log whole instead of an empty file.
#include "omra_logging.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "log_record.h"
#include "win32/machine_wide_mutex.h"
#include "win32/unique_handle.h"

using namespace mgx::logging;
using mgx::win32::UniqueHandle;

namespace {

// The machine-wide mutex, opened once for the process and kept: building its security
// descriptor, creating both named mutexes and checking their owners cost more than the file
// work of a line. One that could not be had is asked for afresh on the next line. Threads of the
// process take turns before they wait on it, since one object counts what it holds.
std::mutex process_turn;
std::unique_ptr<mgx::win32::MachineWideMutex> machine_wide;  // under process_turn

// Held for the whole read and rewrite; without it no line is written, since another writer's
// could be lost.
class HeldMutex {
public:
    HeldMutex() : turn_(process_turn) {
        if (!machine_wide || machine_wide->error()) machine_wide = std::make_unique<mgx::win32::MachineWideMutex>(mutex_name);
        held_ = machine_wide->acquire(INFINITE) == mgx::win32::MachineWideMutex::Wait::Acquired;
    }
    HeldMutex(const HeldMutex &) = delete;
    HeldMutex &operator=(const HeldMutex &) = delete;
    ~HeldMutex() {
        if (held_) machine_wide->release();
    }
    bool held() const { return held_; }
    // Why it is not held (5: this account may not use the machine-wide mutex).
    DWORD error() const { return machine_wide->error() ? machine_wide->error() : ERROR_INVALID_HANDLE; }

private:
    std::lock_guard<std::mutex> turn_;
    bool held_ = false;
};

// The file's new contents: the new record's place, then the newest records of the file, at
// most 599 whole ones, so the file is written in one piece. The buffer for a whole log is taken
// once for the process (under process_turn); where it cannot be had, a line's own buffer holds
// the new record alone and the file is rewritten with it.
struct Contents {
    char *bytes = nullptr;
    std::size_t length = 0;
    std::unique_ptr<char[]> own;
};

char *whole_log_buffer() {
    static const std::unique_ptr<char[]> buffer(new (std::nothrow) char[record_size + kept_bytes]);
    return buffer.get();
}

// Opening creates a missing file.
bool read_kept_records(const char *path, Contents &contents) {
    UniqueHandle file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    std::size_t keep = std::min<std::size_t>(static_cast<std::size_t>(size.QuadPart) / record_size * record_size, kept_bytes);
    contents.bytes = whole_log_buffer();
    if (!contents.bytes) {
        keep = 0;
        contents.own.reset(new (std::nothrow) char[record_size]);
        if (!(contents.bytes = contents.own.get())) return false;
    }
    DWORD got = 0;
    if (keep && !ReadFile(file.get(), contents.bytes + record_size, static_cast<DWORD>(keep), &got, nullptr)) got = 0;
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
    std::copy(record.begin(), record.end(), contents.bytes);

    const std::string replacement = std::string(path) + ".new";
    UniqueHandle file(CreateFileA(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    DWORD written = 0;
    const bool complete = WriteFile(file.get(), contents.bytes, static_cast<DWORD>(contents.length), &written, nullptr) &&
                          written == contents.length;
    file.reset();
    if (!complete || !MoveFileExA(replacement.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(replacement.c_str());
        return 0;
    }
    return 1;
}
