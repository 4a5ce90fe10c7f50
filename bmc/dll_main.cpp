// Bmc.dll's entry point: the driver and the SMBIOS table live from process attach to detach.
#include <windows.h>

#include "bmc_driver.h"
#include "smbios_table_access.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    using namespace mgx::bmc;
    if (reason == DLL_PROCESS_ATTACH) {
        open_driver();
        if (driver() != INVALID_HANDLE_VALUE) FindSMBIOS();
    } else if (reason == DLL_PROCESS_DETACH) {
        ReleaseSMBIOS();
        close_driver();
    }
    return TRUE;
}
