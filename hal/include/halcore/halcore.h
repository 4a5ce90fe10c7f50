// Halcore.dll: the exports through which programs reach the management unit (exported by name
// through halcore.def). C++ callers send unit commands through mgx_call.h.
#pragma once

#include <cstdint>

#include <halcore/command_records.h>
#include <halcore/query_records.h>

extern "C" {

// Library frame and machine detection.
std::int32_t HCXInitImbSmbDll(std::int32_t *type);
std::int32_t HCXFreeImbSmbDll();

// Driver service management.
std::int32_t HCXDynamicDriverStart(const char *driver_file, const char *service_name, std::int32_t *state);
std::int32_t HCXDynamicDriverStop(const char *service_name, std::int32_t stop_type);

// The command dispatcher.
std::int32_t HCXMgxInterface(void *in, std::int32_t in_length, void *out, std::int32_t out_length, std::uint32_t type);

// Lifetime, maintenance and memory commands.
std::int32_t MGXGetLifeTime(std::uint32_t *hours);
std::int32_t MGXSetLifeTime(std::int32_t hours);
std::int32_t MGXSetSystemConfigLastInfo(std::int32_t value);
std::int32_t MGXGetMntInfo(mgx::hal::MgxMaintenanceInfo *out);
std::int32_t MGXSetMntInfo(mgx::hal::MgxMaintenanceInfo in, mgx::hal::MgxMaintenanceInfo *out);
std::int32_t MGXGetMemMainInfo(mgx::hal::MgxMemoryMaintenance *out);
std::int32_t MGXSetMemMainInfo(mgx::hal::MgxMemoryMaintenance in, mgx::hal::MgxMemoryMaintenance *out);

// Boot monitoring and safe power-off mode.
std::int32_t MGXGetSafeMode(std::int32_t *mode);
std::int32_t MGXSetSafeMode(std::int32_t mode);
std::int32_t MGXGetPostBootMonTime(mgx::hal::BootMonitorSettings *out);
std::int32_t MGXSetPostBootMonTime(mgx::hal::BootMonitorSettings in);

// FRU, fans and front panel.
std::int32_t MGXGetSensorReading(std::uint8_t sensor, void *out);
std::int32_t MGXGetFruAreaInfo(std::int32_t fru_device, std::int32_t source, mgx::hal::MgxFruAreaInfo *out);
std::int32_t MGXReadFru(mgx::hal::MgxFruRequest in, mgx::hal::MgxFruData *out);
std::int32_t MGXWriteFru(mgx::hal::MgxFruData in, std::uint8_t *written);
std::int32_t MGXFanRotControl(mgx::hal::MgxFanControl in, std::uint8_t *out);
std::int32_t MGXGetFanRotStatus(std::int32_t fan, std::int32_t *out);
std::int32_t MGXLcdAndLedControl(mgx::hal::MgxPanelControl in);
std::int32_t MGXLcdAndLedRead(mgx::hal::MgxPanelState *out);

// System information and store area.
std::int32_t MGXGetSystemInformation(mgx::hal::MgxSystemInformation *out);
std::int32_t MGXSetSystemInformation(mgx::hal::MgxSystemInformation in);
std::int32_t MGXReadTempForHcx(mgx::hal::MgxStoreBlock in, mgx::hal::MgxStoreBlock *out);
std::int32_t MGXWriteTempForHcx(mgx::hal::MgxStoreBlock in, std::uint16_t *written);

// Query functions, forwarded into the back end's query table: 25 without a table, 27 for an
// empty slot, else the slot's own result.
std::int32_t HCXGetSensorNumber(std::uint32_t sensor_type, std::int32_t *count);
std::int32_t HCXGetSensorInfo(std::uint32_t sensor_type, std::uint32_t index, mgx::hal::SensorInfoRecord *record);
std::int32_t HCXGetSensorCurrentVal(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t reading_type,
                                    std::int32_t *value);
std::int32_t HCXGetSensorThreshVal(std::uintptr_t first, std::uintptr_t second, std::uintptr_t third, std::uintptr_t fourth);
std::int32_t HCXGetSensorFru(std::uint32_t sensor_type, std::uint32_t index, void *record);
std::int32_t HCXGetMemModErrInfo(std::uintptr_t first, std::uintptr_t second);
std::int32_t HCXGetMemModFruInfo(std::uint32_t index, void *record);
std::int32_t HCXGetMemDevErrInfo(std::uintptr_t first, std::uintptr_t second);
std::int32_t HCXGetMemDevFruInfo(std::uintptr_t first, std::uintptr_t second);
std::int32_t HCXGetProcFruInfo(std::uint32_t index, void *record);
std::int32_t HCXGetPSUInfo(std::uint32_t index, void *record);
std::int32_t HCXGetSysSecurityInfo(void *record);
std::int32_t HCXGetPhysContInfo(std::uintptr_t argument);
std::int32_t HCXGetPhysContFruInfo(void *record);
std::int32_t HCXGetInvFruInfo(void *cursor, void *record);
std::int32_t HCXGetLCDFru(std::uintptr_t argument);
std::int32_t HCXGetLCDInfo(void *description, void *text);

// A raw reading of a threshold sensor (an event's trigger reading or threshold) in the scaled
// units HCXGetSensorCurrentVal reports, from the sensor's own record: answered where Halcore read
// the repository itself (the SMBus back end); 25 without a table, 4 on a back end whose sensor
// library holds the records, 2 for a type or index outside what there is, 4 for a discrete
// sensor, 113 for a raw value past 255 or a NULL output.
std::int32_t HCXConvertSensorReading(std::uint32_t sensor_type, std::uint32_t index, std::uint32_t raw, std::int32_t *value);

// A sensor's entity and the unit of its scaled values, from its own record: answered where
// Halcore read the repository itself, as HCXConvertSensorReading is (25 without a table, 4 on a
// back end whose sensor library holds the records, 2 outside what there is, 113 for a NULL output).
std::int32_t HCXGetSensorDetail(std::uint32_t sensor_type, std::uint32_t index, mgx::hal::SensorDetailRecord *record);

// The system event log through "sfs.dll" (loaded from the current directory at record ID 0):
// 20, 27, 31, 113 for a NULL request, or SELGetEntry's own result.
std::int32_t HCXGetCompleteSELInfo(void *request, void *second);

// The LCD panel controller and the RCI chain on the SMBus (48-byte answer packets; 32 characters
// of display text): 25 without the SMBus device, 113 for a NULL output.
std::int32_t HCXGetSmbLcdDevInfo(std::uint8_t *out);
std::int32_t HCXGetSmbLcdMgmtLogInfo(std::uint8_t *out);
std::int32_t HCXGetSmbRCINumNode(std::uint8_t *out);
std::int32_t HCXGetSmbRciDevInfo(std::int32_t node, std::uint8_t *out);
std::int32_t HCXGetSmbRciDevUnitInfo(std::int32_t node, std::int32_t unit, std::uint8_t *out);
std::int32_t HCXGetSmbLcdDisp(char *text);
}
