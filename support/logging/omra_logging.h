// OMRALogging.dll: one line into a bounded, newest-first log file of fixed 512-byte records.
#pragma once

#include <cstddef>

namespace mgx::logging {

inline constexpr std::size_t record_size = 512;
inline constexpr std::size_t text_size = 510;  // time stamp (20) and message (490); then CR LF
inline constexpr std::size_t max_records = 600;
inline constexpr std::size_t kept_bytes = (max_records - 1) * record_size;  // 306688
// Held as "Global\OMRA00RMLogging" across the whole machine, and in the session by its bare name.
inline constexpr const wchar_t *mutex_name = L"OMRA00RMLogging";

}  // namespace mgx::logging

// 1 when the line was written, 0 when the log file cannot be opened or written or the mutex
// cannot be used (GetLastError then says why).
extern "C" int __cdecl OMRALogging(const char *path, const char *message);
