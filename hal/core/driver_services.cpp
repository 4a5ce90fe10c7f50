// HCXDynamicDriverStart and HCXDynamicDriverStop: installing, starting, stopping and removing
// a kernel driver as a service, shared between users through the use counter.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "driver_use_counter.h"
#include "halcore.h"
#include "platform.h"
#include "process_state.h"
#include "service_manager.h"
#include "status_codes.h"
#include "trace.h"

using namespace mgx::hal;

namespace {

constexpr DWORD lock_status_size = 268;

// Locks the database unless a back end's internal start is under way. On failure the manager
// handle is closed and 20 or 21 returned.
std::int32_t lock_database(SC_HANDLE manager, SC_LOCK &lock, bool trace_allocation) {
    lock = nullptr;
    if (process_state().internal_start) return status::ok;
    const ServiceManager &scm = service_manager();
    void *buffer = LocalAlloc(LPTR, lock_status_size);
    if (!buffer) {
        if (trace_allocation) HAL_TRACE(trace_main, "LocalAlloc() API failed");
        scm.close_handle(manager);
        return status::program_name_failed;
    }
    lock = scm.lock_database(manager);
    for (int retry = 0; !lock && GetLastError() == ERROR_SERVICE_DATABASE_LOCKED && retry < 5; ++retry) {
        auto *lock_status = static_cast<QUERY_SERVICE_LOCK_STATUSA *>(buffer);
        DWORD needed = 0;
        if (scm.query_lock_status(manager, lock_status, lock_status_size, &needed)) {
            if (lock_status->fIsLocked)
                std::printf("Locked by: %s, duration: %d seconds\n", lock_status->lpLockOwner ? lock_status->lpLockOwner : "",
                            static_cast<int>(lock_status->dwLockDuration));
            else
                std::printf("No longer locked\n");
            std::fflush(stdout);
        }
        wait_ms(1000);
        lock = scm.lock_database(manager);
    }
    LocalFree(buffer);
    if (!lock) {
        scm.close_handle(manager);
        return status::database_lock_failed;
    }
    return status::ok;
}

void unlock_database(SC_LOCK lock) {
    if (lock) service_manager().unlock_database(lock);
}

// After a successful start request: wait while the service reports start-pending and its
// check point grows, within its wait hint.
bool reaches_running(SC_HANDLE service) {
    const ServiceManager &scm = service_manager();
    SERVICE_STATUS service_status;
    if (!scm.query_status(service, &service_status)) return false;
    const DWORD first_query = platform().tick_count();
    DWORD check_point = service_status.dwCheckPoint;
    while (service_status.dwCurrentState == SERVICE_START_PENDING) {
        if (platform().tick_count() - first_query > service_status.dwWaitHint) break;
        wait_ms(std::clamp<DWORD>(service_status.dwWaitHint / 10, 1000, 10000));
        if (!scm.query_status(service, &service_status)) break;
        if (service_status.dwCheckPoint <= check_point) break;
        check_point = service_status.dwCheckPoint;
    }
    return service_status.dwCurrentState == SERVICE_RUNNING;
}

}  // namespace

extern "C" std::int32_t HCXDynamicDriverStart(const char *driver_file, const char *service_name, std::int32_t *state) {
    if (!driver_file || !service_name || !state) return status::bad_argument;
    HANDLE file = CreateFileA(driver_file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        HAL_TRACE(trace_main, "Driver file not found (%s)", driver_file);
        return status::driver_not_found;
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

    const ServiceManager &scm = service_manager();
    *state = 0;
    SC_HANDLE manager = scm.open_manager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        HAL_TRACE(trace_main, "OpenSCManager() API failed");
        return status::service_manager_failed;
    }
    SC_LOCK lock;
    if (std::int32_t locked = lock_database(manager, lock, true)) return locked;

    SC_HANDLE service = scm.create_service(manager, service_name, service_name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                           SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, driver_file, nullptr, nullptr, nullptr,
                                           nullptr, nullptr);
    if (service) {
        *state = 2;
    } else if (DWORD error = GetLastError(); error != ERROR_SERVICE_EXISTS) {
        HAL_TRACE(trace_main, "CreateService() API failed dwErrorCode = %d", static_cast<int>(error));
        unlock_database(lock);
        scm.close_handle(manager);
        return status::service_manager_failed;
    } else {
        service = scm.open_service(manager, service_name, SERVICE_ALL_ACCESS);
        if (!service) {
            HAL_TRACE(trace_main, "OpenService() API failed dwErrorCode = %d", static_cast<int>(GetLastError()));
            unlock_database(lock);
            scm.close_handle(manager);
            return status::service_manager_failed;
        }
        *state = 0;
    }
    const CounterUpdate counted = count_use(service_name, true, *state);
    unlock_database(lock);
    const auto close_both = [&] {
        scm.close_handle(service);
        scm.close_handle(manager);
    };
    if (counted.status != status::ok) {
        close_both();
        return status::service_registry_failed;
    }

    HAL_TRACE(trace_main, "Going to start service = %s", service_name);
    bool started = false;
    for (int attempt = 1; attempt <= 14 && !started; ++attempt) {
        started = scm.start_service(service, 0, nullptr);
        if (started) break;
        if (GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
            close_both();
            return status::ok;
        }
        if (attempt == 5 || attempt == 7) rewrite_image_path(service_name, driver_file);
    }
    const bool running = started && reaches_running(service);
    close_both();
    return running ? status::ok : status::service_not_started;
}

extern "C" std::int32_t HCXDynamicDriverStop(const char *service_name, std::int32_t stop_type) {
    if (!service_name) return status::bad_argument;
    const ServiceManager &scm = service_manager();
    SC_HANDLE manager = scm.open_manager(nullptr, "ServicesActive", SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        HAL_TRACE(trace_main, "OpenSCManager() API failed");
        return status::program_name_failed;
    }
    SC_LOCK lock;
    if (std::int32_t locked = lock_database(manager, lock, false)) return locked;
    SC_HANDLE service = scm.open_service(manager, service_name, SERVICE_ALL_ACCESS);
    const auto finish = [&](std::int32_t result) {
        unlock_database(lock);
        if (service) scm.close_handle(service);
        scm.close_handle(manager);
        return result;
    };
    if (!service) {
        HAL_TRACE(trace_main, "OpenService() API failed in stop Driver");
        return finish(status::service_manager_failed);
    }
    if (stop_type != 3 && stop_type != 4) {
        const CounterUpdate counted = count_use(service_name, false, 0);
        if (counted.status != status::ok) return finish(status::service_registry_failed);
        if (counted.counter > 0) return finish(status::service_still_in_use);
        stop_type = counted.final_action;
    }
    if (stop_type != 0) {
        SERVICE_STATUS service_status;
        scm.control_service(service, SERVICE_CONTROL_STOP, &service_status);
        if (stop_type == 2 || stop_type == 4) scm.delete_service(service);
    }
    return finish(status::ok);
}
