#include "driver_use_counter.h"

#include <windows.h>

#include <cstring>
#include <string>

#include <halcore/status_codes.h>

#include "process_state.h"
#include "win32/unique_handle.h"

namespace mgx::hal {

namespace {

win32::OpenedKey open_service_key(const char *service_name) {
    const std::string path = std::string("SYSTEM\\CurrentControlSet\\Services\\") + service_name;
    return win32::open_registry_key(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ | KEY_WRITE);
}

bool exempt(const char *service_name) {
    for (const char *name : {"SMBUS2", "SMBUS", "Imbdrv"})
        if (std::strcmp(service_name, name) == 0) return true;
    return false;
}

LSTATUS read_dword(HKEY key, const char *name, std::int32_t &value) {
    DWORD data = 0, size = sizeof data, type = 0;
    LSTATUS result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&data), &size);
    if (result == ERROR_SUCCESS) value = static_cast<std::int32_t>(data);
    return result;
}

LSTATUS write_dword(HKEY key, const char *name, std::int32_t value) {
    DWORD data = static_cast<DWORD>(value);
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&data), sizeof data);
}

}  // namespace

CounterUpdate count_use(const char *service_name, bool up, std::int32_t final_action) {
    if (exempt(service_name) || process_state().internal_start) return {status::ok, 0, 0};
    const win32::UniqueRegistryKey key = open_service_key(service_name).key;
    if (!key) return {status::service_registry_failed, 0, final_action};
    std::int32_t counter = 0;
    read_dword(key.get(), "Counter", counter);  // missing: 0
    counter += up ? 1 : -1;
    if (up && counter == 1 && write_dword(key.get(), "FinalAction", final_action) != ERROR_SUCCESS)
        return {status::service_registry_failed, counter, final_action};
    if (write_dword(key.get(), "Counter", counter) != ERROR_SUCCESS)
        return {status::service_registry_failed, counter, final_action};
    if (!up && counter <= 0 && read_dword(key.get(), "FinalAction", final_action) != ERROR_SUCCESS)
        return {status::service_registry_failed, counter, final_action};
    return {status::ok, counter, final_action};
}

void rewrite_image_path(const char *service_name, const char *driver_file) {
    const win32::UniqueRegistryKey key = open_service_key(service_name).key;
    if (!key) return;
    DWORD type = REG_EXPAND_SZ;
    if (RegQueryValueExA(key.get(), "ImagePath", nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) type = REG_EXPAND_SZ;
    const std::string path = std::string("\\??\\") + driver_file;
    RegSetValueExA(key.get(), "ImagePath", 0, type, reinterpret_cast<const BYTE *>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
}

}  // namespace mgx::hal
