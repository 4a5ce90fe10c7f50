#include "smbus_collectors.h"

#include "sensor_lock.h"

namespace mgx::hal {

// The sensor cache, the repository walk, the FRU lists and the local query table join the
// sensor lock here as the sensor and FRU collectors are built.
void start_smbus_collectors() { create_sensor_lock(); }

void stop_smbus_collectors() { destroy_sensor_lock(); }

}  // namespace mgx::hal
