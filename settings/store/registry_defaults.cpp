#include "registry_defaults.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <variant>
#include <vector>

#include "halcore.h"

namespace mgx::store {

RegistryCalls &registry_calls() {
    static RegistryCalls calls = {&RegCreateKeyA, &RegSetValueExA, &RegCloseKey};
    return calls;
}

namespace {

constexpr LANGID japanese = 0x11;

// One value of the tables: a number, or a text (an empty text is written as one NUL byte; a
// date is written as its 16-byte field).
struct Value {
    std::string name;
    std::variant<DWORD, std::string> data;
    DWORD text_size = 0;  // 0: the text and its terminator
};

LONG write_value(HKEY key, const Value &value) {
    if (const DWORD *number = std::get_if<DWORD>(&value.data))
        return registry_calls().set_value(key, value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(number),
                                          sizeof *number);
    const std::string &text = std::get<std::string>(value.data);
    std::vector<char> bytes(text.begin(), text.end());
    bytes.resize(value.text_size ? value.text_size : text.size() + 1, '\0');
    return registry_calls().set_value(key, value.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(bytes.data()),
                                      static_cast<DWORD>(bytes.size()));
}

std::string numbered(const char *prefix, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%02ld", prefix, static_cast<long>(number));
    return name;
}

Value date(std::string name) { return {std::move(name), std::string(), date_size}; }

// Opens or creates the key and writes its values in order (the values are made once the key is
// open, so the setup program asks the panel at that point).
LONG write_key(const char *path, const std::function<std::vector<Value>()> &values) {
    HKEY key;
    LONG status = registry_calls().create_key(HKEY_LOCAL_MACHINE, path, &key);
    if (status != ERROR_SUCCESS) return status;
    LONG combined = ERROR_SUCCESS;
    for (const Value &value : values()) combined |= write_value(key, value);
    registry_calls().close_key(key);
    return combined;
}

}  // namespace

DWORD language_default(Writer writer, LANGID user_language, LANGID system_language) {
    const LANGID user_primary = user_language & 0x3FF, system_primary = system_language & 0x3FF;
    if (writer == Writer::SettingsProgram) return user_primary == japanese ? 0 : 1;
    return user_primary == japanese && user_primary == system_primary ? 0 : 1;
}

DefaultsContext defaults_for(Writer writer, const std::string &program_directory) {
    DefaultsContext context;
    context.writer = writer;
    context.program_directory = program_directory;
    context.temp_directory = program_directory + "Temp\\";
    context.user_language = GetUserDefaultLangID();
    context.system_language = GetSystemDefaultLangID();
    context.lcd_panel_present = [] {
        hal::MgxPanelState state{};
        return HCXMgxInterface(nullptr, 0, &state, sizeof state, 8) == 0 && state.flags[1] != 0;
    };
    return context;
}

LONG RegisterAppPath(const std::string &program_directory, const char *file_name) {
    const RegistryCalls &registry = registry_calls();
    HKEY key;
    LONG status = registry.create_key(HKEY_LOCAL_MACHINE, (std::string(app_paths_key) + file_name).c_str(), &key);
    if (status != ERROR_SUCCESS) return status;
    const std::string full_path = program_directory + file_name;
    LONG combined = registry.set_value(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(full_path.c_str()),
                                       static_cast<DWORD>(full_path.size() + 1));
    combined |= registry.set_value(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(program_directory.c_str()),
                                   static_cast<DWORD>(program_directory.size() + 1));
    registry.close_key(key);
    return combined;
}

LONG WriteRegistryDefaults(const DefaultsContext &context) {
    const DWORD language = language_default(context.writer, context.user_language, context.system_language);
    const bool setup = context.writer == Writer::SetupProgram;
    const char *parts[] = {"CPU_FAN", "CAIS_FAN", "PSU", "UPS"};

    struct Key {
        const char *path;
        std::function<std::vector<Value>()> values;
    };
    const Key keys[] = {
        {root_key,
         [&] {
             return std::vector<Value>{{"TempDir", context.temp_directory}, {"MachineID", std::string()},
                                       {"ModelName", std::string()}, {"Language", language}, {"LifeTime", DWORD{0}}};
         }},
        {limit_key,
         [] {
             return std::vector<Value>{{"CPU_FAN", DWORD{26000}}, {"CAIS_FAN", DWORD{26000}}, {"PSU", DWORD{26000}},
                                       {"UPS", DWORD{17520}}, {"RAID", DWORD{17520}}};
         }},
        {current_key, [] { return std::vector<Value>{{"CPU_FAN", DWORD{0}}, {"CAIS_FAN", DWORD{0}}, {"PSU", DWORD{0}}}; }},
        {setup_date_key,
         [] {
             std::vector<Value> values = {{"RAIDCount", DWORD{0}}, date("UPS")};
             for (int card = 1; card <= 16; ++card) values.push_back(date(numbered("RAID", card)));
             return values;
         }},
        {notify_done_key,
         [&parts] {
             std::vector<Value> values;
             for (const char *part : parts) values.push_back({part, DWORD{0}});
             for (int card = 1; card <= 16; ++card) values.push_back({numbered("RAID", card), DWORD{0}});
             for (const char *part : parts) values.push_back(date(std::string(part) + "_DATE"));
             for (int card = 1; card <= 16; ++card) values.push_back(date(numbered("RAID_DATE", card)));
             return values;
         }},
        {notify_method_key,
         [&] {
             // The setup program asks the panel once the key is open.
             const DWORD lcd = setup && context.lcd_panel_present && context.lcd_panel_present() ? 1 : 0;
             return std::vector<Value>{{"LCD", lcd}, {"LED", DWORD{setup ? 1u : 0u}}, {"DSP", DWORD{setup ? 1u : 0u}}};
         }},
        {display_item_key, [] { return std::vector<Value>{{"ItemNo", DWORD{0xFFFFFFFF}}}; }},
    };
    for (const Key &key : keys)
        if (LONG status = write_key(key.path, key.values)) return status;

    LONG registered = ERROR_SUCCESS;
    for (const char *program : {"GK7T30UI.EXE", "GK7T30SV.EXE", "GK7T30MS.EXE"})
        registered |= RegisterAppPath(context.program_directory, program);
    return registered;
}

}  // namespace mgx::store
