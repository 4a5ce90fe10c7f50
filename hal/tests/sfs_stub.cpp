// A test's sfs.dll: SELGetEntry answers from its arguments, so a caller sees them arrive as
// passed. Built once with the entry point and once without (SFS_WITHOUT_ENTRY).
#include <cstdint>
#include <cstring>

#ifndef SFS_WITHOUT_ENTRY
extern "C" __declspec(dllexport) std::int32_t SELGetEntry(void *request, void *second) {
    std::uint16_t record_id = 0;
    std::memcpy(&record_id, request, sizeof record_id);
    const std::uint16_t next = static_cast<std::uint16_t>(record_id + 1);
    std::memcpy(static_cast<char *>(request) + 2, &next, sizeof next);
    return static_cast<std::int32_t>(record_id * 10 + reinterpret_cast<std::uintptr_t>(second));
}
#endif
