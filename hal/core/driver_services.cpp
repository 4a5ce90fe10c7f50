// HCXDynamicDriverStart and HCXDynamicDriverStop: installing, starting, stopping and removing
// a kernel driver as a service, shared between users through the use counter.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "driver_use_counter.h"
#include "platform.h"
#include "process_state.h"
#include "service_manager.h"
#include "trace.h"
#include "win32/unique_handle.h"

using namespace mgx::hal;

namespace {

constexpr DWORD lock_status_size = 268;

// Handles and locks of the service manager, released through its call table.
void close_service_handle(SC_HANDLE handle) { service_manager().close_handle(handle); }
void unlock_service_database(SC_LOCK lock) { service_manager().unlock_database(lock); }
using ServiceHandle = mgx::win32::Owned<SC_HANDLE, &close_service_handle>;
using DatabaseLock = mgx::win32::Owned<SC_LOCK, &unlock_service_database>;

// Locks the database unless a back end's internal start is under way (then the lock stays
// empty); 20 or 21 when it cannot be locked.
std::int32_t lock_database(SC_HANDLE manager, DatabaseLock &held, bool trace_allocation) {
    if (process_state().internal_start) return status::ok;
    const ServiceManager &scm = service_manager();
    void *buffer = LocalAlloc(LPTR, lock_status_size);
    if (!buffer) {
        if (trace_allocation) HAL_TRACE(trace_main, "LocalAlloc() API failed");
        return status::program_name_failed;
    }
    SC_LOCK lock = scm.lock_database(manager);
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
    if (!lock) return status::database_lock_failed;
    held.reset(lock);
    return status::ok;
}

// The service manager opened with its database locked, and the service a caller opens in it;
// the lock is released first, then the service, then the manager.
struct LockedServiceDatabase {
    ServiceHandle manager;
    ServiceHandle service;
    DatabaseLock lock;

    // Opens the manager on `database` (`manager_failure` when it cannot be opened) and locks it.
    std::int32_t open(const char *database, std::int32_t manager_failure, bool trace_allocation) {
        manager.reset(service_manager().open_manager(nullptr, database, SC_MANAGER_ALL_ACCESS));
        if (!manager) {
            HAL_TRACE(trace_main, "OpenSCManager() API failed");
            return manager_failure;
        }
        return lock_database(manager.get(), lock, trace_allocation);
    }
};

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
    {
        const mgx::win32::UniqueHandle file(
            CreateFileA(driver_file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() == ERROR_FILE_NOT_FOUND) {
            HAL_TRACE(trace_main, "Driver file not found (%s)", driver_file);
            return status::driver_not_found;
        }
    }

    const ServiceManager &scm = service_manager();
    *state = 0;
    LockedServiceDatabase session;
    if (std::int32_t opened = session.open(nullptr, status::service_manager_failed, true)) return opened;
    ServiceHandle &service = session.service;
    const SC_HANDLE manager = session.manager.get();

    service.reset(scm.create_service(manager, service_name, service_name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                     SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, driver_file, nullptr, nullptr, nullptr, nullptr,
                                     nullptr));
    if (service) {
        *state = 2;
    } else if (DWORD error = GetLastError(); error != ERROR_SERVICE_EXISTS) {
        HAL_TRACE(trace_main, "CreateService() API failed dwErrorCode = %d", static_cast<int>(error));
        return status::service_manager_failed;
    } else {
        service.reset(scm.open_service(manager, service_name, SERVICE_ALL_ACCESS));
        if (!service) {
            HAL_TRACE(trace_main, "OpenService() API failed dwErrorCode = %d", static_cast<int>(GetLastError()));
            return status::service_manager_failed;
        }
        *state = 0;
    }
    const CounterUpdate counted = count_use(service_name, true, *state);
    session.lock.reset();
    if (counted.status != status::ok) return status::service_registry_failed;

    HAL_TRACE(trace_main, "Going to start service = %s", service_name);
    bool started = false;
    for (int attempt = 1; attempt <= 14 && !started; ++attempt) {
        started = scm.start_service(service.get(), 0, nullptr);
        if (started) break;
        if (GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) return status::ok;
        if (attempt == 5 || attempt == 7) rewrite_image_path(service_name, driver_file);
    }
    const bool running = started && reaches_running(service.get());
    return running ? status::ok : status::service_not_started;
}

extern "C" std::int32_t HCXDynamicDriverStop(const char *service_name, std::int32_t stop_type) {
    if (!service_name) return status::bad_argument;
    const ServiceManager &scm = service_manager();
    LockedServiceDatabase session;
    if (std::int32_t opened = session.open("ServicesActive", status::program_name_failed, false)) return opened;
    ServiceHandle &service = session.service;
    service.reset(scm.open_service(session.manager.get(), service_name, SERVICE_ALL_ACCESS));
    if (!service) {
        HAL_TRACE(trace_main, "OpenService() API failed in stop Driver");
        return status::service_manager_failed;
    }
    if (stop_type != 3 && stop_type != 4) {
        const CounterUpdate counted = count_use(service_name, false, 0);
        if (counted.status != status::ok) return status::service_registry_failed;
        if (counted.counter > 0) return status::service_still_in_use;
        stop_type = counted.final_action;
    }
    if (stop_type != 0) {
        SERVICE_STATUS service_status;
        scm.control_service(service.get(), SERVICE_CONTROL_STOP, &service_status);
        if (stop_type == 2 || stop_type == 4) scm.delete_service(service.get());
    }
    return status::ok;
}
