// The records mgxtool sel read last, kept in the user's own folder
// (%LOCALAPPDATA%\Uptiva\event-log.cache), so the next listing reads only what was added since:
// on a long log `sel --last 5` then reads three records, not sixty-five thousand. The copy is
// never taken on trust: it must be whole and sound and the log must still go on from it
// (event_log_walk.h), or the log is read afresh. Only that user can write the folder.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "event_log_read.h"
#include "event_log_walk.h"

namespace mgx::tool {

struct CachedEventLog {
    LogPosition position;
    std::vector<EventLogRecordBytes> records;  // as many as position.taken
};

std::optional<CachedEventLog> load_cached_log(const std::filesystem::path &file);
bool save_cached_log(const std::filesystem::path &file, const CachedEventLog &log);

// The kept copy's place, nullopt where the user has no local application data folder.
std::optional<std::filesystem::path> cached_log_file();

// The whole log, read on from the kept copy (or, with `fresh`, from its start), and kept again.
EventLogRead read_event_log_kept(bool fresh);

}  // namespace mgx::tool
