// The unit's identity (command type 25) as people and the metrics read it: the record keeps the
// Get Device ID answer's bytes, this is their one reading.
#pragma once

#include <cstdint>
#include <string>

#include <halcore/command_records.h>

namespace mgx::tool {

struct DeviceIdentityView {
    std::string firmware;      // "1.10": the major revision (bits 6..0), the minor one in BCD
    bool device_available;     // bit 7 of the major revision clear: no firmware or SDR update under way
    std::string ipmi_version;  // "2.0"
    std::uint32_t manufacturer_id;
    std::uint16_t product_id;
};

DeviceIdentityView view_of(const hal::MgxDeviceIdentity &identity);

}  // namespace mgx::tool
