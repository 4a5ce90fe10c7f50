#include "sensor_lock.h"

#include <windows.h>

#include "process_state.h"

namespace mgx::hal {

void create_sensor_lock() {
    HANDLE &lock = process_state().sensor_lock;
    if (!lock) lock = CreateSemaphoreA(nullptr, 1, 0x7FFFFFFF, nullptr);
}

void acquire_sensor_lock() {
    if (HANDLE lock = process_state().sensor_lock) WaitForSingleObject(lock, INFINITE);
}

void release_sensor_lock() {
    if (HANDLE lock = process_state().sensor_lock) ReleaseSemaphore(lock, 1, nullptr);
}

void destroy_sensor_lock() {
    HANDLE &lock = process_state().sensor_lock;
    if (!lock) return;
    ReleaseSemaphore(lock, 1, nullptr);
    CloseHandle(lock);
    lock = nullptr;
}

}  // namespace mgx::hal
