#include "event_log_tally.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <string_view>

#include "event_log_entries.h"
#include "event_record.h"
#include "fnv_checksum.h"
#include "replaced_file.h"

namespace mgx::tool {

namespace {

// The state file, as laid out on disk.
#pragma pack(push, 1)
struct TallyFile {
    char magic[8];
    std::uint32_t version;
    std::uint32_t entries;
    std::uint32_t by_severity[3];
    std::uint32_t latest;
    std::uint16_t latest_critical_id;
    std::uint8_t first[16];
    std::uint8_t last[16];
    std::uint16_t last_id;
    std::uint16_t next_id;
    std::uint8_t complete;
    std::uint32_t checksum;  // FNV-1a of every byte before it
};
#pragma pack(pop)
static_assert(sizeof(TallyFile) == 75 && offsetof(TallyFile, checksum) == 71, "TallyFile layout");

constexpr std::string_view file_magic = "MGXSELT1";
constexpr std::uint32_t file_version = 2;  // 2: the newest critical event's record ID

std::uint32_t checksum_of(const TallyFile &file) { return fnv1a(fnv_start, &file, offsetof(TallyFile, checksum)); }

int level(hal::Severity severity) { return static_cast<int>(severity); }

}  // namespace

void EventLogTally::add(const EventLogRecordBytes &record) {
    if (const std::optional<hal::EventRecord> decoded = hal::decode_event_record(record)) {
        if (decoded->kind == hal::EventRecordKind::SystemEvent) {
            const hal::Severity severity = hal::event_severity(decoded->event);
            ++by_severity[level(severity)];
            if (severity == hal::Severity::Critical) latest_critical_id = decoded->record_id;
        }
        if (const auto date = decoded->date()) latest = std::max(latest, *date);
    }
}

WalkOutcome update_tally(EventLogTally &tally, const std::function<bool()> &time_left) {
    const WalkOutcome outcome = walk_event_log(
        tally.position,
        [&tally] {
            tally.by_severity = {};
            tally.latest = 0;
            tally.latest_critical_id = 0;
        },
        [&tally](const EventLogRecordBytes &record) { tally.add(record); }, time_left);
    tally.complete = outcome.complete;
    return outcome;
}

std::optional<EventLogTally> load_tally(const std::filesystem::path &path) {
    std::ifstream file(path, std::ios::binary);
    TallyFile stored{};
    if (!file.read(reinterpret_cast<char *>(&stored), sizeof stored) || file.peek() != std::char_traits<char>::eof())
        return std::nullopt;
    if (std::string_view(stored.magic, sizeof stored.magic) != file_magic || stored.version != file_version ||
        stored.checksum != checksum_of(stored) || stored.entries == 0 || stored.entries > event_log_capacity ||
        stored.complete > 1)
        return std::nullopt;
    const std::uint64_t events = std::uint64_t{stored.by_severity[0]} + stored.by_severity[1] + stored.by_severity[2];
    if (events > stored.entries) return std::nullopt;
    EventLogTally tally;
    tally.position.taken = stored.entries;
    std::memcpy(tally.by_severity.data(), stored.by_severity, sizeof stored.by_severity);
    tally.latest = stored.latest;
    tally.latest_critical_id = stored.latest_critical_id;
    std::memcpy(tally.position.first.data(), stored.first, 16);
    std::memcpy(tally.position.last.data(), stored.last, 16);
    tally.position.last_id = stored.last_id;
    tally.position.next_id = stored.next_id;
    tally.complete = stored.complete != 0;
    return tally;
}

bool save_tally(const std::filesystem::path &path, const EventLogTally &tally) {
    TallyFile stored{};
    std::memcpy(stored.magic, file_magic.data(), sizeof stored.magic);
    stored.version = file_version;
    stored.entries = tally.entries();
    std::memcpy(stored.by_severity, tally.by_severity.data(), sizeof stored.by_severity);
    stored.latest = tally.latest;
    stored.latest_critical_id = tally.latest_critical_id;
    std::memcpy(stored.first, tally.position.first.data(), 16);
    std::memcpy(stored.last, tally.position.last.data(), 16);
    stored.last_id = tally.position.last_id;
    stored.next_id = tally.position.next_id;
    stored.complete = tally.complete ? 1 : 0;
    stored.checksum = checksum_of(stored);
    return replace_file(path, std::string_view(reinterpret_cast<const char *>(&stored), sizeof stored)) == 0;
}

}  // namespace mgx::tool
