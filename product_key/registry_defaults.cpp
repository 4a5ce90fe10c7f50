#include "registry_defaults.h"

#include <string>
#include <variant>
#include <vector>

#include "wear_parts.h"
#include "win32/unique_handle.h"

namespace mgx::store {

RegistryCalls &registry_calls() {
    static RegistryCalls calls = {&RegCreateKeyA, &RegSetValueExA, &RegCloseKey};
    return calls;
}

namespace {

// Keys opened through the replaceable calls are closed through them too.
void close_key(HKEY key) { registry_calls().close_key(key); }
using Key = win32::Owned<HKEY, &close_key>;

// One value of the tables: a number, or a text written with its terminator (an empty text is
// one NUL byte).
struct Value {
    std::string name;
    std::variant<DWORD, std::string> data;
};

LONG write_value(HKEY key, const Value &value) {
    if (const DWORD *number = std::get_if<DWORD>(&value.data))
        return registry_calls().set_value(key, value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(number),
                                          sizeof *number);
    const std::string &text = std::get<std::string>(value.data);
    return registry_calls().set_value(key, value.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                                      static_cast<DWORD>(text.size() + 1));
}

Value empty_text(const std::string &name) { return {name, std::string()}; }

// The parts in the registry's order that match.
template <typename Matches>
std::vector<const WearPart *> parts_where(Matches matches) {
    std::vector<const WearPart *> parts;
    for (WearPartIndex index : registry_order())
        if (matches(wear_part(index))) parts.push_back(&wear_part(index));
    return parts;
}

// Opens or creates the key and writes its values in order (the values are made once the key is
// open, so the setup program asks the panel at that point).
LONG write_key(const char *path, const std::function<std::vector<Value>()> &values) {
    HKEY created = nullptr;
    LONG status = registry_calls().create_key(HKEY_LOCAL_MACHINE, path, &created);
    if (status != ERROR_SUCCESS) return status;
    const Key key(created);
    LONG combined = ERROR_SUCCESS;
    for (const Value &value : values()) combined |= write_value(key.get(), value);
    return combined;
}

}  // namespace

DefaultsContext defaults_for(Writer writer, const std::string &program_directory) {
    DefaultsContext context;
    context.writer = writer;
    context.program_directory = program_directory;
    context.temp_directory = program_directory + "Temp\\";
    context.user_language = GetUserDefaultLangID();
    context.system_language = GetSystemDefaultLangID();
    return context;
}

LONG RegisterAppPath(const std::string &program_directory, const char *file_name) {
    const RegistryCalls &registry = registry_calls();
    HKEY created = nullptr;
    LONG status = registry.create_key(HKEY_LOCAL_MACHINE, (std::string(app_paths_key) + file_name).c_str(), &created);
    if (status != ERROR_SUCCESS) return status;
    const Key key(created);
    const std::string full_path = program_directory + file_name;
    LONG combined = registry.set_value(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(full_path.c_str()),
                                       static_cast<DWORD>(full_path.size() + 1));
    combined |= registry.set_value(key.get(), "Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(program_directory.c_str()),
                                   static_cast<DWORD>(program_directory.size() + 1));
    return combined;
}

LONG WriteRegistryDefaults(const DefaultsContext &context) {
    const DWORD language = language_default(context.writer, context.user_language, context.system_language);
    const bool setup = context.writer == Writer::SetupProgram;
    const auto aging_by_hours = [](const WearPart &part) { return part.aging == Aging::RunningHours; };
    const auto aging_by_date = [](const WearPart &part) { return part.aging == Aging::InstallDate; };
    // The RAID cards share one life time: the first card's line stands for all.
    const auto own_life_time = [](const WearPart &part) {
        return part.life_time_slot != wear_part(RaidBattery1).life_time_slot || part.index == RaidBattery1;
    };

    struct KeyValues {
        const char *path;
        std::function<std::vector<Value>()> values;
    };
    const KeyValues keys[] = {
        {root_key,
         [&] {
             return std::vector<Value>{{"TempDir", context.temp_directory},
                                       empty_text("MachineID"),
                                       empty_text("ModelName"),
                                       {"Language", DWORD{language}},
                                       {"LifeTime", DWORD{0}}};
         }},
        {limit_key,
         [&] {
             std::vector<Value> values;
             for (const WearPart *part : parts_where(own_life_time))
                 values.push_back({part->life_time_name, DWORD{part->default_life_time}});
             return values;
         }},
        {current_key,
         [&] {
             std::vector<Value> values;
             for (const WearPart *part : parts_where(aging_by_hours)) values.push_back({part->value_name, DWORD{0}});
             return values;
         }},
        {setup_date_key,
         [&] {
             std::vector<Value> values = {{"RAIDCount", DWORD{0}}};
             for (const WearPart *part : parts_where(aging_by_date)) values.push_back(empty_text(part->value_name));
             return values;
         }},
        {notify_done_key,
         [] {
             std::vector<Value> values;
             for (WearPartIndex index : registry_order()) values.push_back({wear_part(index).value_name, DWORD{0}});
             for (WearPartIndex index : registry_order()) values.push_back(empty_text(wear_part(index).notify_date_name));
             return values;
         }},
        {notify_method_key,
         [&] {
             // The setup program asks the panel once the key is open.
             const DWORD lcd = setup && context.lcd_panel_present && context.lcd_panel_present() ? 1 : 0;
             return std::vector<Value>{{"LCD", lcd}, {"LED", DWORD{setup ? 1u : 0u}}, {"DSP", DWORD{setup ? 1u : 0u}}};
         }},
        {display_item_key,
         [] {
             return std::vector<Value>{{"ItemNo", DWORD{0xFFFFFFFF}}};
         }},
    };
    for (const KeyValues &key : keys)
        if (LONG status = write_key(key.path, key.values)) return status;

    LONG registered = ERROR_SUCCESS;
    for (const char *program : registered_programs) registered |= RegisterAppPath(context.program_directory, program);
    return registered;
}

}  // namespace mgx::store
