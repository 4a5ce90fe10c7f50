#include "smbios_information.h"

// Bound by ordinal through the import library made from dmiinfo_imports.def.
extern "C" {
int DmiIsPresent();
int DmiCountStructures(const char *name);
char *DmiGetString(const char *name, int instance, int string_number);
}

namespace mgx::hal {

SmbiosInformation imported_smbios_information() { return {&DmiIsPresent, &DmiCountStructures, &DmiGetString}; }

SmbiosInformation &smbios_information() {
    static SmbiosInformation current = imported_smbios_information();
    return current;
}

}  // namespace mgx::hal
