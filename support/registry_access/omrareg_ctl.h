// OMRAREG_CTL.dll: the product's registry access library. Key paths are relative to
// HKEY_LOCAL_MACHINE (DeleteRegKey_DL: to HKEY_LOCAL_MACHINE\SOFTWARE); every call returns a
// Win32 status code.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct RegKeyInfo {
    std::uint32_t longest_value_name;  // characters, without terminator
    std::uint32_t value_count;
    FILETIME last_write_time;
};

struct RegValueEntry {
    char name[256];
    std::uint32_t type;
    std::uint8_t data[24];  // a read fills at most 21 bytes
};
#pragma pack(pop)
static_assert(sizeof(RegKeyInfo) == 16 && offsetof(RegKeyInfo, last_write_time) == 8, "RegKeyInfo layout");
static_assert(sizeof(RegValueEntry) == 284 && offsetof(RegValueEntry, type) == 256 && offsetof(RegValueEntry, data) == 260,
              "RegValueEntry layout");

extern "C" {
LONG __cdecl CreateRegKey_DL(const char *key);
LONG __cdecl DeleteRegKey_DL(const char *key);
LONG __cdecl SetRegVal_DL(const char *key, const char *name, DWORD type, const void *data, DWORD size);
LONG __cdecl GetRegVal_DL(const char *key, const char *name, DWORD type, void *data, DWORD size);
LONG __cdecl GetRegQueryInf_DL(const char *key, RegKeyInfo *info);
LONG __cdecl GetRegEnumVal_DL(const char *key, RegValueEntry *entries, DWORD longest_name, DWORD count);
LONG __cdecl SetRegEnumVal_DL(const char *key, const RegValueEntry *entries, DWORD count);
}
