// The semaphore that serialises the locally built sensor-interface entry points.
#pragma once

namespace mgx::hal {

void create_sensor_lock();   // initial count 1, maximum 0x7FFFFFFF, no name
void acquire_sensor_lock();  // waits without a time limit
void release_sensor_lock();  // count + 1
void destroy_sensor_lock();  // releases once more, then closes

// Holds the lock for a scope.
class SensorLockScope {
public:
    SensorLockScope() { acquire_sensor_lock(); }
    ~SensorLockScope() { release_sensor_lock(); }
    SensorLockScope(const SensorLockScope &) = delete;
    SensorLockScope &operator=(const SensorLockScope &) = delete;
};

}  // namespace mgx::hal
