#include "smbios_information.h"

#include <windows.h>

#include "win32/dll_search.h"
#include "win32/entry_point.h"

namespace mgx::hal {

namespace {

// What a machine without the library answers: no table.
int no_table() { return 0; }
int no_structures(const char *) { return 0; }
char *no_string(const char *, int, int) { return nullptr; }

}  // namespace

// Bound by ordinal at the first use, from System32 only: a load-time
// import would be resolved before any program could keep the current directory out of the
// search. Without the library (or one of its entries) the machine has no SMBIOS table.
SmbiosInformation imported_smbios_information() {
    const HMODULE library = win32::load_system_library("DMIINFO.dll");
    if (!library) return {&no_table, &no_structures, &no_string};
    const SmbiosInformation bound = {
        win32::entry_point<int (*)()>(library, MAKEINTRESOURCEA(1)),
        win32::entry_point<int (*)(const char *)>(library, MAKEINTRESOURCEA(2)),
        win32::entry_point<char *(*)(const char *, int, int)>(library, MAKEINTRESOURCEA(3)),
    };
    if (!bound.is_present || !bound.count_structures || !bound.get_string) return {&no_table, &no_structures, &no_string};
    return bound;
}

SmbiosInformation &smbios_information() {
    static SmbiosInformation current = imported_smbios_information();
    return current;
}

}  // namespace mgx::hal
