// What the SMBus back end builds for the query exports once the unit answers: the sensor cache,
// the sensor lock, the repository walk and the locally built query table.
#pragma once

namespace mgx::hal {

void start_smbus_collectors();
void stop_smbus_collectors();

}  // namespace mgx::hal
