#include "event_log_cache.h"

#include <windows.h>

#include <shlobj.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "fnv_checksum.h"
#include "replaced_file.h"

namespace mgx::tool {

namespace {

// The file: this header, then the records, 16 bytes each.
#pragma pack(push, 1)
struct CacheHeader {
    char magic[8];
    std::uint32_t version;
    std::uint32_t count;
    std::uint16_t last_id;
    std::uint16_t next_id;
    std::uint32_t checksum;  // FNV-1a of the header before it and of every record
};
#pragma pack(pop)
static_assert(sizeof(CacheHeader) == 24 && offsetof(CacheHeader, checksum) == 20, "CacheHeader layout");

constexpr std::string_view cache_magic = "MGXSELC1";
constexpr std::uint32_t cache_version = 1;

std::uint32_t checksum_of(const CacheHeader &header, const std::vector<EventLogRecordBytes> &records) {
    const std::uint32_t hash = fnv1a(fnv_start, &header, offsetof(CacheHeader, checksum));
    return fnv1a(hash, records.data(), records.size() * sizeof(EventLogRecordBytes));
}

}  // namespace

std::optional<CachedEventLog> load_cached_log(const std::filesystem::path &path) {
    std::ifstream file(path, std::ios::binary);
    CacheHeader header{};
    if (!file.read(reinterpret_cast<char *>(&header), sizeof header)) return std::nullopt;
    if (std::string_view(header.magic, sizeof header.magic) != cache_magic || header.version != cache_version ||
        header.count == 0 || header.count > event_log_capacity)
        return std::nullopt;
    CachedEventLog log;
    log.records.resize(header.count);
    if (!file.read(reinterpret_cast<char *>(log.records.data()),
                   static_cast<std::streamsize>(log.records.size() * sizeof(EventLogRecordBytes))) ||
        file.peek() != std::char_traits<char>::eof() || header.checksum != checksum_of(header, log.records))
        return std::nullopt;
    log.position = {log.records.front(), log.records.back(), header.last_id, header.next_id, header.count};
    return log;
}

bool save_cached_log(const std::filesystem::path &path, const CachedEventLog &log) {
    CacheHeader header{};
    std::memcpy(header.magic, cache_magic.data(), sizeof header.magic);
    header.version = cache_version;
    header.count = static_cast<std::uint32_t>(log.records.size());
    header.last_id = log.position.last_id;
    header.next_id = log.position.next_id;
    header.checksum = checksum_of(header, log.records);
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::string contents(reinterpret_cast<const char *>(&header), sizeof header);
    if (!log.records.empty())
        contents.append(reinterpret_cast<const char *>(log.records.data()), log.records.size() * sizeof(EventLogRecordBytes));
    return replace_file(path, contents) == 0;
}

std::optional<std::filesystem::path> cached_log_file() {
    PWSTR folder = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder))) {
        CoTaskMemFree(folder);
        return std::nullopt;
    }
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(folder, &CoTaskMemFree);
    return std::filesystem::path(owned.get()) / L"Uptiva" / L"event-log.cache";
}

EventLogRead read_event_log_kept(bool fresh) {
    const std::optional<std::filesystem::path> file = cached_log_file();
    CachedEventLog kept = file && !fresh ? load_cached_log(*file).value_or(CachedEventLog{}) : CachedEventLog{};
    const WalkOutcome outcome = walk_event_log(
        kept.position, [&kept] { kept.records.clear(); },
        [&kept](const EventLogRecordBytes &record) { kept.records.push_back(record); }, [] { return true; });
    if (file && outcome.status == 0 && !kept.records.empty()) save_cached_log(*file, kept);
    if (file && outcome.status == 0 && kept.records.empty()) {
        std::error_code ignored;
        std::filesystem::remove(*file, ignored);
    }
    return {std::move(kept.records), outcome.status};
}

}  // namespace mgx::tool
