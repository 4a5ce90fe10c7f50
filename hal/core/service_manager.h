// The service control manager calls of the driver-service functions, through a table so tests
// can produce what the platform under test cannot (a locked database, a start that pends).
#pragma once

#include <windows.h>

namespace mgx::hal {

// Function pointers that return a Win32 type, which the formatter would split after the name.
// clang-format off
struct ServiceManager {
    SC_HANDLE (*open_manager)(const char *machine, const char *database, DWORD access);
    SC_LOCK (*lock_database)(SC_HANDLE manager);
    BOOL (*unlock_database)(SC_LOCK lock);
    BOOL (*query_lock_status)(SC_HANDLE manager, QUERY_SERVICE_LOCK_STATUSA *status, DWORD size, DWORD *needed);
    SC_HANDLE (*create_service)(SC_HANDLE manager, const char *name, const char *display_name, DWORD access, DWORD type,
                                DWORD start, DWORD error_control, const char *binary, const char *group, DWORD *tag,
                                const char *dependencies, const char *account, const char *password);
    SC_HANDLE (*open_service)(SC_HANDLE manager, const char *name, DWORD access);
    BOOL (*start_service)(SC_HANDLE service, DWORD argument_count, const char **arguments);
    BOOL (*query_status)(SC_HANDLE service, SERVICE_STATUS *status);
    BOOL (*control_service)(SC_HANDLE service, DWORD control, SERVICE_STATUS *status);
    BOOL (*delete_service)(SC_HANDLE service);
    BOOL (*close_handle)(SC_HANDLE handle);
};
// clang-format on

ServiceManager &service_manager();
ServiceManager system_service_manager();

}  // namespace mgx::hal
