#include "defaults_preview.h"

#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <span>
#include <string>

#include "text/hex.h"

namespace mgx::tool {

namespace {

// The preview's state while the writer runs: the path of each key it "opened", and what it set.
struct Preview {
    std::map<HKEY, std::string> paths;
    std::vector<Change> changes;
    std::deque<char> missing_keys;  // a stand-in handle (its address) for each key that does not exist yet
    std::set<HKEY> missing;
};
Preview *current = nullptr;

std::string shown_value(DWORD type, const BYTE *data, DWORD size) {
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        return std::to_string(number);
    }
    if (type == REG_SZ) {
        std::string text(reinterpret_cast<const char *>(data), size);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return "\"" + text + "\"";
    }
    return "bytes " + text::to_hex(std::span(data, size));
}

LONG open_for_reading(HKEY root, const char *path, HKEY *key) {
    const std::string name = std::string("HKLM\\") + path;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key) != ERROR_SUCCESS)
        current->missing.insert(*key = reinterpret_cast<HKEY>(&current->missing_keys.emplace_back()));
    current->paths[*key] = name;
    return ERROR_SUCCESS;
}

LONG read_instead(HKEY key, const char *name, DWORD, DWORD type, const BYTE *data, DWORD size) {
    const std::string value_name = name ? name : "(default)";
    std::string before = "none";
    BYTE stored[2048];
    DWORD stored_type = 0, stored_size = sizeof stored;
    if (!current->missing.contains(key) &&
        RegQueryValueExA(key, name, nullptr, &stored_type, stored, &stored_size) == ERROR_SUCCESS)
        before = shown_value(stored_type, stored, stored_size);
    current->changes.push_back({current->paths[key] + "\\" + value_name, before, shown_value(type, data, size)});
    return ERROR_SUCCESS;
}

LONG close_if_open(HKEY key) {
    if (!current->missing.contains(key)) RegCloseKey(key);
    return ERROR_SUCCESS;
}

}  // namespace

std::vector<Change> preview_defaults(const store::DefaultsContext &context) {
    Preview preview;
    current = &preview;
    store::RegistryCalls &calls = store::registry_calls();
    const store::RegistryCalls real = calls;
    calls = {open_for_reading, read_instead, close_if_open};
    store::WriteRegistryDefaults(context);
    calls = real;
    current = nullptr;
    return std::move(preview.changes);
}

}  // namespace mgx::tool
