#include "event_log_read.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include <halcore/event_log_record.h>
#include <halcore/halcore.h>

#include "win32/program_directory.h"

namespace mgx::tool {

namespace {

// The current folder changed for as long as the scope lasts.
class WorkingFolderScope {
public:
    explicit WorkingFolderScope(const std::wstring &folder) {
        const DWORD length = GetCurrentDirectoryW(0, nullptr);
        if (length == 0) return;
        previous_.resize(length);
        previous_.resize(GetCurrentDirectoryW(length, previous_.data()));
        changed_ = !previous_.empty() && SetCurrentDirectoryW(folder.c_str());
    }
    WorkingFolderScope(const WorkingFolderScope &) = delete;
    WorkingFolderScope &operator=(const WorkingFolderScope &) = delete;
    ~WorkingFolderScope() {
        if (changed_) SetCurrentDirectoryW(previous_.c_str());
    }

private:
    std::wstring previous_;
    bool changed_ = false;
};

}  // namespace

EventLogRead read_event_log() {
    constexpr std::int32_t no_such_record = 1;  // the library's answer past the end or for an empty log
    EventLogRead log;
    hal::EventLogRequest request{0, 0, {}};
    {
        const WorkingFolderScope library_folder(win32::program_directory_wide());
        log.status = HCXGetCompleteSELInfo(&request, nullptr);
    }
    while (log.status == 0) {
        log.records.emplace_back();
        std::copy(std::begin(request.record), std::end(request.record), log.records.back().begin());
        // A log holds at most 0xFFFE records: a chain of IDs that goes on is not followed further.
        if (request.next_record_id == hal::event_log_last_record || log.records.size() > 0xFFFF) break;
        request.record_id = request.next_record_id;
        log.status = HCXGetCompleteSELInfo(&request, nullptr);
    }
    if (log.status == no_such_record && log.records.empty()) log.status = 0;  // an empty log
    return log;
}

}  // namespace mgx::tool
