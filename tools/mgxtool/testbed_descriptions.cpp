#include "testbed_descriptions.h"

#include <sstream>

#include "control_protocol.h"

namespace mgx::tool {

namespace control_key = testbed::control::key;
using nlohmann::json;

std::string describe_status(const json &status) {
    std::ostringstream text;
    const json &profile = status[control_key::profile];
    text << "profile      " << profile.value("name", "") << " - " << profile.value("description", "") << "\n";
    if (profile.contains("baseboard"))
        text << "baseboard    " << profile["baseboard"].value("manufacturer", "") << " / "
             << profile["baseboard"].value("product", "") << "\n";
    else
        text << "baseboard    (no SMBIOS)\n";
    text << "devices     ";
    for (const json &device : profile["devices"]) text << " " << device.get<std::string>();
    text << "\n";
    const json &unit = status[control_key::unit];
    text << "unit         running hours " << unit.value("running_hours", 0u)
         << (unit.value("running_hours_fixed", false) ? " (fixed)" : " (advancing)")
         << (unit.value("silent", false) ? ", silent" : ", answering") << "\n";
    text << "device id    " << status.value(control_key::device_id, "") << "\n";
    const json &platform = status[control_key::platform];
    text << "repository   " << platform.value("repository_records", 0u) << " records; FRU device 0: "
         << platform.value("fru_device_bytes", 0u) << " bytes" << (platform.value("fru_word_access", false) ? " (by words)" : "")
         << "; chassis status " << platform.value("chassis_status", "") << "\n";
    text << "lcd panel    " << (status[control_key::lcd_panel].is_null() ? std::string("none at SMBus address 0x18")
                                                                : "at SMBus address 0x18, " + std::to_string(status[control_key::lcd_panel].value("rci_nodes", 0u)) + " RCI nodes")
         << "\n";
    const json &lock = status[control_key::smbus]["lock"];
    text << "smbus lock   " << (lock.is_null() ? std::string("free") : lock.value("owner", "")) << "\n";
    text << "faults       " << status[control_key::faults].size() << "\n";
    for (const json &fault : status[control_key::faults]) text << "  " << fault.dump() << "\n";
    text << "exchanges    " << status[control_key::log].value(control_key::entries, 0u) << " logged\n";
    text << "state file   " << status.value(control_key::state_file, "") << "\n";
    if (const json &unusable = status[control_key::unusable_state]; unusable.is_object())
        text << "NOTE         the remembered state was not usable (" << unusable.value("problem", "") << ");\n"
             << "             it is kept as " << unusable.value("kept_as", "") << " and the server started afresh\n";
    return text.str();
}

std::string describe_log(const json &entries) {
    std::ostringstream text;
    for (const json &entry : entries) {
        text << "#" << entry.value("sequence", 0u) << " " << entry.value("time_ms", 0LL) << " " << entry.value("device", "")
             << " " << entry.value("code", "") << " pid " << entry.value("process_id", 0u) << " -> " << entry.value("status", "")
             << "\n    in  " << entry.value("input", "") << "\n    out " << entry.value("output", "(" + std::to_string(entry.value("output_length", 0u)) + " bytes)")
             << "\n    " << entry.value("note", "") << "\n";
    }
    return text.str();
}

}  // namespace mgx::tool
