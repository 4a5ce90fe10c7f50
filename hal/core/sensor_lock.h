// The semaphore that serialises the locally built sensor-interface entry points.
#pragma once

namespace mgx::hal {

void create_sensor_lock();   // initial count 1, maximum 0x7FFFFFFF, no name
void acquire_sensor_lock();  // waits without a time limit
void release_sensor_lock();  // count + 1
void destroy_sensor_lock();  // releases once more, then closes

}  // namespace mgx::hal
