// Arranging the virtual server's unit through the control pipe, for tests and tools.
#pragma once

namespace mgx::testbed {

// The unit's boot monitoring settings as it keeps them (time-outs in seconds, retry method 0
// power off and on again, 1 hardware reset); any value, also ones a client would call abnormal.
void set_boot_monitoring(int post_timeout, int post_retries, int os_boot_timeout, int os_boot_retries, int method);

// From now on the unit answers every request with this unit command code with `code` instead of
// carrying it out (0: it says yes and does nothing).
void refuse_unit_command(int command, int code = 0xC1);

}  // namespace mgx::testbed
