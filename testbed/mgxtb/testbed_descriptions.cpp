#include "testbed_descriptions.h"

#include <sstream>

#include "control_protocol.h"

namespace mgx::testbed {

namespace control_key = testbed::control::key;
using nlohmann::json;

std::string describe_status(const json &status) {
    std::ostringstream text;
    const json &profile = status[control_key::profile];
    text << "profile      " << profile.value(control_key::name, "") << " - " << profile.value(control_key::description, "")
         << "\n";
    if (profile.contains("baseboard"))
        text << "baseboard    " << profile[control_key::baseboard].value(control_key::manufacturer, "") << " / "
             << profile[control_key::baseboard].value(control_key::product, "") << "\n";
    else
        text << "baseboard    (no SMBIOS)\n";
    text << "devices     ";
    for (const json &device : profile[control_key::devices]) text << " " << device.get<std::string>();
    text << "\n";
    const json &unit = status[control_key::unit];
    text << "unit         running hours " << unit.value(control_key::running_hours, 0u)
         << (unit.value(control_key::running_hours_fixed, false) ? " (fixed)" : " (advancing)")
         << (unit.value(control_key::silent, false) ? ", silent" : ", answering") << "\n";
    text << "device id    " << status.value(control_key::device_id, "") << "\n";
    const json &platform = status[control_key::platform];
    text << "repository   " << platform.value(control_key::repository_records, 0u)
         << " records; FRU device 0: " << platform.value(control_key::fru_device_bytes, 0u) << " bytes"
         << (platform.value(control_key::fru_word_access, false) ? " (by words)" : "") << "; chassis status "
         << platform.value(control_key::chassis_status, "") << "\n";
    text << "lcd panel    "
         << (status[control_key::lcd_panel].is_null()
                 ? std::string("none at SMBus address 0x18")
                 : "at SMBus address 0x18, " + std::to_string(status[control_key::lcd_panel].value(control_key::rci_nodes, 0u)) +
                       " RCI nodes")
         << "\n";
    const json &lock = status[control_key::smbus][control_key::lock];
    text << "smbus lock   " << (lock.is_null() ? std::string("free") : lock.value(control_key::owner, "")) << "\n";
    text << "faults       " << status[control_key::faults].size() << "\n";
    for (const json &fault : status[control_key::faults]) text << "  " << fault.dump() << "\n";
    text << "exchanges    " << status[control_key::log].value(control_key::entries, 0u) << " logged\n";
    text << "state file   " << status.value(control_key::state_file, "") << "\n";
    if (const json &unusable = status[control_key::unusable_state]; unusable.is_object())
        text << "NOTE         the remembered state was not usable (" << unusable.value(control_key::problem, "") << ");\n"
             << "             it is kept as " << unusable.value(control_key::kept_as, "") << " and the server started afresh\n";
    return text.str();
}

std::string describe_log(const json &entries) {
    std::ostringstream text;
    for (const json &entry : entries) {
        text << "#" << entry.value(control_key::sequence, 0u) << " " << entry.value(control_key::time_ms, 0LL) << " "
             << entry.value(control_key::device, "") << " " << entry.value(control_key::code, "") << " pid "
             << entry.value(control_key::process_id, 0u) << " -> " << entry.value(control_key::nt_status, "") << "\n    in  "
             << entry.value(control_key::input, "") << "\n    out "
             << entry.value(control_key::output, "(" + std::to_string(entry.value(control_key::output_length, 0u)) + " bytes)")
             << "\n    " << entry.value(control_key::note, "") << "\n";
    }
    return text.str();
}

}  // namespace mgx::testbed
