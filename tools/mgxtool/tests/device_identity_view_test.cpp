// The unit's identity as one reading of the Get Device ID answer's bytes.
#include <gtest/gtest.h>

#include "device_identity_view.h"

namespace hal = mgx::hal;

namespace {

TEST(DeviceIdentityView, FirmwareWithoutTheAvailabilityBitAndTheIdsInTheirByteOrder) {
    struct Case {
        std::uint8_t major, minor, ipmi;
        const char *firmware;
        bool available;
        const char *ipmi_version;
    };
    const Case cases[] = {
        {0x01, 0x10, 0x51, "1.10", true, "1.5"},
        {0x81, 0x10, 0x02, "1.10", false, "2.0"},  // bit 7: an update under way, not revision 129
        {0x7F, 0x99, 0x02, "127.99", true, "2.0"},
    };
    for (const Case &c : cases) {
        hal::MgxDeviceIdentity identity{};
        identity.firmware_revision_1 = c.major;
        identity.firmware_revision_2 = c.minor;
        identity.ipmi_version = c.ipmi;
        const std::uint8_t ids[6] = {0x7B, 0x1B, 0x00, 0x01, 0x02, 0x00};
        std::copy(std::begin(ids), std::end(ids), identity.manufacturer_and_product);
        const mgx::tool::DeviceIdentityView view = mgx::tool::view_of(identity);
        EXPECT_EQ(view.firmware, c.firmware);
        EXPECT_EQ(view.device_available, c.available) << c.firmware;
        EXPECT_EQ(view.ipmi_version, c.ipmi_version);
        EXPECT_EQ(view.manufacturer_id, 0x1B7Bu);
        EXPECT_EQ(view.product_id, 0x0201u);
    }
}

}  // namespace
