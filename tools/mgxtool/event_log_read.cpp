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

EventLogEntryRead read_event_log_entry(std::uint16_t record_id) {
    hal::EventLogRequest request{record_id, 0, {}};
    EventLogEntryRead entry;
    if (record_id == 0) {
        const WorkingFolderScope library_folder(win32::program_directory_wide());
        entry.status = HCXGetCompleteSELInfo(&request, nullptr);
    } else {
        entry.status = HCXGetCompleteSELInfo(&request, nullptr);
    }
    std::copy(std::begin(request.record), std::end(request.record), entry.record.begin());
    entry.next_id = request.next_record_id;
    return entry;
}

EventLogRead read_event_log() {
    EventLogRead log;
    EventLogEntryRead entry = read_event_log_entry(0);
    while (entry.status == 0) {
        log.records.push_back(entry.record);
        // A log holds at most 0xFFFE records: a chain of IDs that goes on is not followed further.
        if (entry.next_id == hal::event_log_last_record || log.records.size() > 0xFFFF) break;
        entry = read_event_log_entry(entry.next_id);
    }
    log.status = entry.status;
    if (log.status == no_such_record && log.records.empty()) log.status = 0;  // an empty log
    return log;
}

}  // namespace mgx::tool
