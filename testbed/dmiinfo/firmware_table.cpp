#include "firmware_table.h"

#include <windows.h>

#include <string>

#include "control_client.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace {

bool testbed_configured() {
    char value[64] = {};
    DWORD size = sizeof value - 1;
    LSTATUS status =
        RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\MgxTestbed", "SmbiosSource", RRF_RT_REG_SZ, nullptr, value, &size);
    return status == ERROR_SUCCESS && std::string(value) == "VirtualServer";
}

std::optional<std::vector<std::uint8_t>> from_virtual_server() {
    try {
        nlohmann::json reply = control_request(mgx::testbed::control::smbios);
        if (!reply.value(control::key::present, false)) return std::nullopt;
        return text::from_hex(reply.value(control::key::table, ""));
    } catch (const ControlError &) {
        return std::nullopt;
    }
}

// GetSystemFirmwareTable('RSMB') gives an 8-byte header (version, length) before the table.
std::optional<std::vector<std::uint8_t>> from_firmware() {
    const DWORD provider = 0x52534D42;  // 'RSMB'
    UINT size = GetSystemFirmwareTable(provider, 0, nullptr, 0);
    if (size <= 8) return std::nullopt;
    std::vector<std::uint8_t> raw(size);
    if (GetSystemFirmwareTable(provider, 0, raw.data(), size) != size) return std::nullopt;
    std::uint32_t length = raw[4] | raw[5] << 8 | raw[6] << 16 | static_cast<std::uint32_t>(raw[7]) << 24;
    if (length > size - 8) length = size - 8;
    return std::vector<std::uint8_t>(raw.begin() + 8, raw.begin() + 8 + length);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> read_smbios_table() {
    return testbed_configured() ? from_virtual_server() : from_firmware();
}

}  // namespace mgx::testbed
