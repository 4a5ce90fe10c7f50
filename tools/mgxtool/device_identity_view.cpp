#include "device_identity_view.h"

#include <span>

#include "text/hex.h"

namespace mgx::tool {

namespace {

constexpr std::uint8_t update_in_progress = 0x80;  // firmware revision 1, bit 7

}  // namespace

DeviceIdentityView view_of(const hal::MgxDeviceIdentity &identity) {
    const std::uint8_t *ids = identity.manufacturer_and_product;
    return {std::to_string(identity.firmware_revision_1 & ~update_in_progress & 0xFF) + "." +
                text::to_hex(std::span(&identity.firmware_revision_2, 1)),
            (identity.firmware_revision_1 & update_in_progress) == 0,
            std::to_string(identity.ipmi_version & 0x0F) + "." + std::to_string(identity.ipmi_version >> 4),
            static_cast<std::uint32_t>(ids[0] | ids[1] << 8 | ids[2] << 16), static_cast<std::uint16_t>(ids[3] | ids[4] << 8)};
}

}  // namespace mgx::tool
