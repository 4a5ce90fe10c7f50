// WriteRegistryDefaults: every value of the product key with its default, and the programs
// registered under App Paths.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "language.h"
#include "product_key.h"

namespace mgx::store {

struct DefaultsContext {
    Writer writer = Writer::SettingsProgram;
    std::string program_directory;  // with trailing backslash
    std::string temp_directory;     // "TempDir": the program directory followed by "Temp\"
    LANGID user_language = 0;       // GetUserDefaultLangID
    LANGID system_language = 0;     // GetSystemDefaultLangID
    // The setup program's panel read, handed in by the program: true when it succeeds and
    // reports an LCD panel. Asked once the NotifyMethod key is open.
    std::function<bool()> lcd_panel_present;
};

// The platform registry calls WriteRegistryDefaults makes, replaceable so tests can make a key
// that cannot be created.
struct RegistryCalls {
    LONG (*create_key)(HKEY root, const char *path, HKEY *key);
    LONG (*set_value)(HKEY key, const char *name, DWORD reserved, DWORD type, const BYTE *data, DWORD size);
    LONG (*close_key)(HKEY key);
};
RegistryCalls &registry_calls();

// The platform's language identifiers and the directories, for the real programs (the setup
// program adds its panel read).
DefaultsContext defaults_for(Writer writer, const std::string &program_directory);

// 0, or the Win32 codes of what failed, ORed.
LONG WriteRegistryDefaults(const DefaultsContext &context);
LONG RegisterAppPath(const std::string &program_directory, const char *file_name);

}  // namespace mgx::store
