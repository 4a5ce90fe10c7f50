#include "unit_arrangements.h"

#include "control_client.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed {

void set_boot_monitoring(int post_timeout, int post_retries, int os_boot_timeout, int os_boot_retries, int method) {
    const nlohmann::json boot = {{"post_timeout", post_timeout},
                                 {"post_retries", post_retries},
                                 {"os_boot_timeout", os_boot_timeout},
                                 {"os_boot_retries", os_boot_retries},
                                 {"retry_method", method}};
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::memory, {{"boot", boot}}}}}});
}

void set_safe_mode(int mode) {
    control_request(control::set_unit, {{control_key::unit, {{control_key::memory, {{"safe_mode", mode}}}}}});
}

void set_panel_lines(const std::string &first, const std::string &second) {
    control_request(control::set_unit, {{control_key::unit, {{control_key::memory, {{"panel", {{"lines", {first, second}}}}}}}}});
}

void refuse_unit_command(int command, int code) {
    control_request(mgx::testbed::control::add_fault,
                    {{control_key::fault,
                      {{control_key::kind, "completion-code"}, {control_key::code, code}, {control_key::command, command}}}});
}

}  // namespace mgx::testbed
