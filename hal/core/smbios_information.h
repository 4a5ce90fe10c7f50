// The SMBIOS information library (DMIINFO, outside the system), bound by ordinal. Calls go
// through a table so tests can stand in for the firmware.
#pragma once

namespace mgx::hal {

struct SmbiosInformation {
    int (*is_present)();                                                     // ordinal 1: 1 when a table is present
    int (*count_structures)(const char *name);                               // ordinal 2
    char *(*get_string)(const char *name, int instance, int string_number);  // ordinal 3: writable
};

SmbiosInformation &smbios_information();
SmbiosInformation imported_smbios_information();

}  // namespace mgx::hal
