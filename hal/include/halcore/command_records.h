// Records of the management-unit commands; packed and little-endian as they cross the library
// boundary through HCXMgxInterface. The records of the query exports are in query_records.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::hal {

inline constexpr std::size_t max_request_data = 27;
inline constexpr std::size_t max_response_data = 27;

#pragma pack(push, 1)
// A bare request to the unit and its answer (command type 24).
struct MgxRequest {
    std::uint8_t network_function;  // unshifted: 0x3A unit commands, 0x06 application, 0x0A storage
    std::uint8_t command;
    std::uint8_t length;  // data bytes used, 0 to 27
    std::uint8_t data[max_request_data];
};

struct MgxResponse {
    std::uint8_t completion_code;
    std::uint8_t length;  // at most 27; longer answers are cut
    std::uint8_t data[max_response_data];
};
#pragma pack(pop)

static_assert(sizeof(MgxRequest) == 30 && offsetof(MgxRequest, data) == 3, "MgxRequest layout");
static_assert(sizeof(MgxResponse) == 29 && offsetof(MgxResponse, data) == 2, "MgxResponse layout");

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

    // What clears the memory-error information after a faulty module was replaced: both indexes,
    // every data byte 0xFF.
    static MgxMemoryMaintenance errors_cleared() {
        MgxMemoryMaintenance clear{};
        clear.selector = 1;
        for (std::uint8_t &byte : clear.memory_data) byte = 0xFF;
        return clear;
    }
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
                  offsetof(MgxDeviceIdentity, sensor_device) == 37 && offsetof(MgxDeviceIdentity, manufacturer_and_product) == 41,
              "MgxDeviceIdentity layout");

#pragma pack(push, 1)
struct BootMonitorSettings {
    std::uint8_t post_selector;     // written: bit 7 of request byte 0
    std::uint8_t os_boot_selector;  // written: bit 6
    std::uint16_t post_timeout;
    std::uint8_t post_retries;
    std::uint16_t os_boot_timeout;
    std::uint8_t os_boot_retries;
    std::int32_t retry_method;  // 0 power off, then on again; 1 reboot by hardware reset
};

struct MgxFruRequest {
    std::int32_t source;  // 1: the unit's own FRU store; else a standard FRU device
    std::int32_t fru_device;
    std::uint16_t offset;
    std::uint8_t count;
};

struct MgxFruData {
    std::int32_t source;
    std::int32_t fru_device;
    std::uint16_t offset;
    std::uint8_t count;
    std::uint8_t data[32];
};

struct MgxFruAreaInfo {
    std::uint16_t area_size;
    std::int32_t word_access;
};

struct MgxFanControl {
    std::int32_t fan;
    std::int32_t control;
    std::uint8_t unused;
};

struct MgxPanelControl {
    std::uint8_t device;
    std::uint8_t unused_1[3];
    std::int32_t enable;
    std::uint8_t mode;
    std::uint8_t unused_9[3];
    std::uint8_t pattern;
    std::uint8_t unused_13[3];
    std::uint8_t parameter;  // below 32
    std::int32_t with_display;
    std::int32_t display_mode;  // 4: no text
    std::uint8_t display_attribute;
    std::uint8_t unused_26[3];
    std::uint8_t text_length;  // at most 16
    std::uint8_t row;
    std::uint8_t unused_31[3];
    std::uint8_t column;
    char text[16];
};

// The 32-bit flags of MgxPanelState, by what the panel read fills them from.
enum class PanelFlag : std::size_t {
    AnswerByte0Bit1Clear = 0,
    LcdPresent = 1,  // bit 0 of answer byte 0 clear
    AnswerByte17Bit0 = 2,
    OsBootMonitoring = 3,  // bit 1 of answer byte 17; with LcdPresent: the unit can watch the OS boot
    AnswerByte17Bit2 = 4,
    Led0 = 5,  // bit 0 of answer byte 18 in either answer
    Led1 = 6,
    Led2 = 7,
};

struct MgxPanelState {
    std::int32_t flags[8];  // offsets 0 to 28, by PanelFlag
    char line[2][16];

    std::int32_t &operator[](PanelFlag flag) { return flags[static_cast<std::size_t>(flag)]; }
    bool is_set(PanelFlag flag) const { return flags[static_cast<std::size_t>(flag)] != 0; }
    // Both flags the start monitoring settings need for OS-boot monitoring.
    bool os_boot_monitoring_supported() const { return is_set(PanelFlag::LcdPresent) && is_set(PanelFlag::OsBootMonitoring); }
};

struct SystemInformationEntry {
    std::int32_t type;
    std::uint8_t length;
    char text[128];
};

struct MgxSystemInformation {
    SystemInformationEntry entries[4];  // in the order 0, 2, 1, 3
    char check_code[2];
};

inline constexpr std::size_t store_area_size = 506;

struct MgxStoreBlock {
    std::uint16_t offset;
    std::uint16_t length;
    std::uint8_t data[store_area_size];
};
#pragma pack(pop)

static_assert(sizeof(BootMonitorSettings) == 12 && offsetof(BootMonitorSettings, post_timeout) == 2 &&
                  offsetof(BootMonitorSettings, os_boot_timeout) == 5 && offsetof(BootMonitorSettings, retry_method) == 8,
              "BootMonitorSettings layout");
static_assert(sizeof(MgxFruRequest) == 11 && offsetof(MgxFruRequest, count) == 10, "MgxFruRequest layout");
static_assert(sizeof(MgxFruData) == 43 && offsetof(MgxFruData, data) == 11, "MgxFruData layout");
static_assert(sizeof(MgxFruAreaInfo) == 6, "MgxFruAreaInfo layout");
static_assert(sizeof(MgxFanControl) == 9, "MgxFanControl layout");
static_assert(sizeof(MgxPanelControl) == 51 && offsetof(MgxPanelControl, enable) == 4 && offsetof(MgxPanelControl, mode) == 8 &&
                  offsetof(MgxPanelControl, pattern) == 12 && offsetof(MgxPanelControl, parameter) == 16 &&
                  offsetof(MgxPanelControl, with_display) == 17 && offsetof(MgxPanelControl, display_mode) == 21 &&
                  offsetof(MgxPanelControl, display_attribute) == 25 && offsetof(MgxPanelControl, text_length) == 29 &&
                  offsetof(MgxPanelControl, row) == 30 && offsetof(MgxPanelControl, column) == 34 &&
                  offsetof(MgxPanelControl, text) == 35,
              "MgxPanelControl layout");
static_assert(sizeof(MgxPanelState) == 64 && offsetof(MgxPanelState, line) == 32, "MgxPanelState layout");
static_assert(sizeof(SystemInformationEntry) == 133, "SystemInformationEntry layout");
static_assert(sizeof(MgxSystemInformation) == 534 && offsetof(MgxSystemInformation, check_code) == 532,
              "MgxSystemInformation layout");
static_assert(sizeof(MgxStoreBlock) == 510 && offsetof(MgxStoreBlock, data) == 4, "MgxStoreBlock layout");

// Where entry n of the system information lies in the record.
inline constexpr int system_information_slot[4] = {0, 2, 1, 3};

}  // namespace mgx::hal
