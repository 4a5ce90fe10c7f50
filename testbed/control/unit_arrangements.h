// Arranging the virtual server's unit through the control pipe, for tests and tools.
#pragma once

#include <string>

namespace mgx::testbed {

// The unit's boot monitoring settings as it keeps them (time-outs in seconds, retry method 0
// power off and on again, 1 hardware reset); any value, also ones a client would call abnormal.
void set_boot_monitoring(int post_timeout, int post_retries, int os_boot_timeout, int os_boot_retries, int method);

// The unit's safe power-off mode as it keeps it (0 on, 1 off; any other value is abnormal).
void set_safe_mode(int mode);

// The two 16-character lines the unit's front panel shows.
void set_panel_lines(const std::string &first, const std::string &second);

// From now on the unit answers every request with this unit command code with `code` instead of
// carrying it out (0: it says yes and does nothing).
void refuse_unit_command(int command, int code = 0xC1);

}  // namespace mgx::testbed
