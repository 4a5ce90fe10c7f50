#include "omrareg_ctl.h"

#include <cstring>

#include "win32/unique_handle.h"

namespace {

constexpr DWORD read_data_limit = 21;

// A key of HKEY_LOCAL_MACHINE opened with full access for one call.
mgx::win32::OpenedKey open_key(const char *path) {
    if (!path) return {{}, ERROR_INVALID_PARAMETER};
    return mgx::win32::open_registry_key(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
}

// The size SetRegEnumVal_DL writes for an entry: 4 for REG_DWORD; for text types the text in
// the data field plus its terminator and one further byte, bounded by the field; for any other
// type the whole 24-byte field, as the entry carries no length of its own.
DWORD entry_size(const RegValueEntry &entry) {
    switch (entry.type) {
    case REG_DWORD: return 4;
    case REG_SZ:
    case REG_EXPAND_SZ: {
        const DWORD length = static_cast<DWORD>(strnlen(reinterpret_cast<const char *>(entry.data), sizeof entry.data));
        return length + 2 <= sizeof entry.data ? length + 2 : static_cast<DWORD>(sizeof entry.data);
    }
    default: return sizeof entry.data;
    }
}

}  // namespace

extern "C" LONG __cdecl CreateRegKey_DL(const char *key) {
    if (!key) return ERROR_INVALID_PARAMETER;
    return mgx::win32::create_registry_key(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS).status;
}

extern "C" LONG __cdecl DeleteRegKey_DL(const char *key) {
    const auto software = open_key("SOFTWARE");
    if (software.status != ERROR_SUCCESS) return software.status;
    if (!key) return ERROR_INVALID_PARAMETER;
    return RegDeleteKeyA(software.key.get(), key);
}

extern "C" LONG __cdecl SetRegVal_DL(const char *key, const char *name, DWORD type, const void *data, DWORD size) {
    const auto open = open_key(key);
    if (open.status != ERROR_SUCCESS) return open.status;
    return RegSetValueExA(open.key.get(), name, 0, type, static_cast<const BYTE *>(data), size);
}

extern "C" LONG __cdecl GetRegVal_DL(const char *key, const char *name, DWORD, void *data, DWORD size) {
    const auto open = open_key(key);
    if (open.status != ERROR_SUCCESS) return open.status;
    DWORD needed = size;
    LONG status = RegQueryValueExA(open.key.get(), name, nullptr, nullptr, static_cast<BYTE *>(data), &needed);
    if (status == ERROR_MORE_DATA && data && size >= sizeof needed) std::memcpy(data, &needed, sizeof needed);
    return status;
}

extern "C" LONG __cdecl GetRegQueryInf_DL(const char *key, RegKeyInfo *info) {
    const auto open = open_key(key);
    if (open.status != ERROR_SUCCESS) return open.status;
    if (!info) return ERROR_INVALID_PARAMETER;
    DWORD longest = 0, count = 0;
    FILETIME written{};
    LONG status = RegQueryInfoKeyA(open.key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                                   nullptr, nullptr, &written);
    if (status == ERROR_SUCCESS) *info = {longest, count, written};
    return status;
}

extern "C" LONG __cdecl GetRegEnumVal_DL(const char *key, RegValueEntry *entries, DWORD longest_name, DWORD count) {
    const auto open = open_key(key);
    if (open.status != ERROR_SUCCESS) return open.status;
    if (count && !entries) return ERROR_INVALID_PARAMETER;
    // The name field holds 255 characters and a terminator, whatever length the caller gives.
    const DWORD name_capacity = longest_name + 1 < sizeof entries->name ? longest_name + 1 : sizeof entries->name;
    for (DWORD index = 0; index < count; ++index) {
        RegValueEntry &entry = entries[index];
        DWORD name_length = name_capacity;
        LONG status = RegEnumValueA(open.key.get(), index, entry.name, &name_length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return status;
        DWORD type = 0, size = read_data_limit;
        status = RegQueryValueExA(open.key.get(), entry.name, nullptr, &type, entry.data, &size);
        if (status != ERROR_SUCCESS) return status;
        entry.type = type;
    }
    return ERROR_SUCCESS;
}

extern "C" LONG __cdecl SetRegEnumVal_DL(const char *key, const RegValueEntry *entries, DWORD count) {
    const auto open = open_key(key);
    if (open.status != ERROR_SUCCESS) return open.status;
    if (count && !entries) return ERROR_INVALID_PARAMETER;
    for (DWORD index = 0; index < count; ++index) {
        const RegValueEntry &entry = entries[index];
        char name[sizeof entry.name + 1] = {};
        std::memcpy(name, entry.name, sizeof entry.name);  // terminated even when the caller's is not
        LONG status = RegSetValueExA(open.key.get(), name, 0, entry.type, entry.data, entry_size(entry));
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}
