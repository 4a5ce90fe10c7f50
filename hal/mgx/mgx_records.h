// Records of the management-unit commands; packed and little-endian as they cross the library
// boundary through HCXMgxInterface.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

#pragma pack(push, 1)
struct MgxMaintenanceInfo {
    std::int32_t selector;  // input: 0 writes index 0, 1 writes index 0 then 1
    std::int32_t flag_a;    // bit 7 of the flag byte
    std::int32_t flag_b;    // bit 6
    std::int32_t flag_c;    // bit 5
    std::uint32_t value32;
    std::uint16_t value16;
    std::uint8_t value8;
};

struct MgxMemoryMaintenance {
    std::int32_t selector;  // input: 0 writes index 0, 1 indexes 0 and 1; never written on output
    std::uint8_t memory_data[8];
};

struct MgxDeviceIdentity {
    std::uint8_t device_id;
    std::int32_t provides_revision;  // set to 1 when the device revision is not 0
    std::uint8_t device_revision;
    std::uint8_t firmware_revision_1;
    std::uint8_t firmware_revision_2;
    std::uint8_t ipmi_version;
    std::int32_t chassis_device;  // one flag per bit of the additional-support byte, bit 7 first
    std::int32_t bridge;
    std::int32_t event_generator;
    std::int32_t event_receiver;
    std::int32_t fru_inventory_device;
    std::int32_t sel_device;
    std::int32_t sdr_repository_device;
    std::int32_t sensor_device;
    std::uint8_t manufacturer_and_product[6];  // manufacturer id (3), product id (2), then 0
};
#pragma pack(pop)

static_assert(sizeof(MgxMaintenanceInfo) == 23, "MgxMaintenanceInfo layout");
static_assert(offsetof(MgxMaintenanceInfo, value32) == 16 && offsetof(MgxMaintenanceInfo, value16) == 20 &&
                  offsetof(MgxMaintenanceInfo, value8) == 22,
              "MgxMaintenanceInfo layout");
static_assert(sizeof(MgxMemoryMaintenance) == 12 && offsetof(MgxMemoryMaintenance, memory_data) == 4,
              "MgxMemoryMaintenance layout");
static_assert(sizeof(MgxDeviceIdentity) == 47, "MgxDeviceIdentity layout");
static_assert(offsetof(MgxDeviceIdentity, provides_revision) == 1 && offsetof(MgxDeviceIdentity, device_revision) == 5 &&
                  offsetof(MgxDeviceIdentity, ipmi_version) == 8 && offsetof(MgxDeviceIdentity, chassis_device) == 9 &&
                  offsetof(MgxDeviceIdentity, sensor_device) == 37 &&
                  offsetof(MgxDeviceIdentity, manufacturer_and_product) == 41,
              "MgxDeviceIdentity layout");

}  // namespace mgx::hal
