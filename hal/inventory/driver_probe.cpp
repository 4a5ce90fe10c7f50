#include "driver_probe.h"

#include <windows.h>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "bounded_text.h"
#include "process_state.h"

namespace mgx::hal {

namespace {

// A directory read into the library's fixed 100-byte buffer; empty when it does not fit.
std::string directory_from(UINT (*read)(char *, UINT)) {
    char buffer[100];
    UINT length = read(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

UINT system_directory(char *buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }
UINT current_directory(char *buffer, UINT size) { return GetCurrentDirectoryA(size, buffer); }

std::string driver_path(const DriverBackEnd &back_end, const std::string &executable_name) {
    std::string path = directory_from(system_directory) + "\\DRIVERS\\" + back_end.driver_file;
    if (back_end.current_directory_fallback && starts_with_ignoring_case(executable_name.c_str(), "TAVO.exe", 8)) {
        HANDLE file =
            CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
            path = directory_from(current_directory) + "\\" + back_end.driver_file;
        else if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    return path;
}

// Opens the device into the handle slot: 0, or 100 with the slot NULL.
std::int32_t probe_device(const char *device_name) {
    HANDLE device = CreateFileA(device_name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    process_state().device = device == INVALID_HANDLE_VALUE ? nullptr : device;
    return process_state().device ? status::ok : status::driver_not_found;
}

void close_device_slot() {
    HANDLE &device = process_state().device;
    if (device) CloseHandle(device);
    device = nullptr;
}

}  // namespace

bool is_product_program(const std::string &executable_name) {
    return starts_with_ignoring_case(executable_name.c_str(), "Gk7t30", 6);
}

DriverProbeResult bring_up_driver(const DriverBackEnd &back_end) {
    char module_path[256];
    DWORD length = GetModuleFileNameA(nullptr, module_path, sizeof module_path);
    if (length == 0 || length >= sizeof module_path) return {status::program_name_failed, {}};
    std::string executable_name(module_path, length);
    executable_name = executable_name.substr(executable_name.find_last_of('\\') + 1);
    const std::string path = driver_path(back_end, executable_name);

    bool started_driver = false;
    if (probe_device(back_end.device_name) != status::ok) {
        ProcessState &state = process_state();
        state.internal_start = true;
        std::int32_t started = HCXDynamicDriverStart(path.c_str(), back_end.service_name, back_end.start_state);
        if (started != status::ok) {
            HCXDynamicDriverStop(back_end.service_name, 4);
            state.internal_start = false;
            return {started, executable_name};
        }
        state.internal_start = false;
        started_driver = true;
    }
    if (!back_end.keep_device_open) {
        close_device_slot();
        return {status::ok, executable_name};
    }
    if (started_driver && probe_device(back_end.device_name) != status::ok) return {status::driver_not_found, executable_name};
    return {status::ok, executable_name};
}

}  // namespace mgx::hal
