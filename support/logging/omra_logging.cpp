// OMRALogging: under the machine-wide mutex, read the newest 599 records, then write the new
// record and those behind it. The new file is written beside the old one and put in its place
// in one step, so a crash in between leaves the old log whole instead of an empty file.
#include "omra_logging.h"

#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "log_record.h"
#include "win32/unique_handle.h"

using namespace mgx::logging;
using mgx::win32::UniqueHandle;

namespace {

class HeldMutex {
public:
    HeldMutex() : mutex_(CreateMutexA(nullptr, FALSE, mutex_name)) {
        if (mutex_) WaitForSingleObject(mutex_.get(), INFINITE);
    }
    HeldMutex(const HeldMutex &) = delete;
    HeldMutex &operator=(const HeldMutex &) = delete;
    ~HeldMutex() {
        if (mutex_) ReleaseMutex(mutex_.get());
    }

private:
    UniqueHandle mutex_;
};

// The newest records of the file, at most 599 whole ones; opening creates a missing file.
bool read_kept_records(const char *path, std::vector<char> &kept) {
    UniqueHandle file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    std::size_t keep = static_cast<std::size_t>(size.QuadPart) / record_size * record_size;
    if (keep > kept_bytes) keep = kept_bytes;
    try {
        kept.resize(keep);
    } catch (const std::bad_alloc &) {
        keep = 0;  // no buffer: the file is rewritten with the new record alone
    }
    DWORD got = 0;
    if (keep && (!ReadFile(file.get(), kept.data(), static_cast<DWORD>(keep), &got, nullptr) || got != keep))
        kept.resize(got / record_size * record_size);
    return true;
}

bool write_all(HANDLE file, const char *bytes, std::size_t length) {
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

}  // namespace

extern "C" int __cdecl OMRALogging(const char *path, const char *message) {
    if (!path) return 0;
    HeldMutex held;
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::vector<char> kept;
    if (!read_kept_records(path, kept)) return 0;

    const std::string replacement = std::string(path) + ".new";
    UniqueHandle file(CreateFileA(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    const auto record = make_record(now, message);
    const bool written = write_all(file.get(), record.data(), record.size()) && write_all(file.get(), kept.data(), kept.size()) &&
                         FlushFileBuffers(file.get());
    file.reset();
    if (!written || !MoveFileExA(replacement.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(replacement.c_str());
        return 0;
    }
    return 1;
}
