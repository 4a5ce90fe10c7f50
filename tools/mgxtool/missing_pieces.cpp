#include "missing_pieces.h"

#include <halcore/status_codes.h>

#include "win32/program_directory.h"

namespace mgx::tool {

namespace {

struct MissingPiece {
    std::int32_t status;
    const char *what;
};

namespace status = hal::status;

// sfs.dll's place is the folder mgxtool runs from; the text gets it appended.
constexpr MissingPiece missing_pieces[] = {
    {status::library_load_failed,
     "Imbapi.dll or sensor.dll, the server's request libraries, could not be loaded: they come with the server's "
     "management drivers and must lie in the System32 folder"},
    {status::entry_point_missing,
     "an outside library (Imbapi.dll, sensor.dll or DMIINFO.dll in the System32 folder) lacks an entry Halcore calls: "
     "install the version that comes with the server's management drivers"},
    {status::smbios_absent, "no SMBIOS table was read: DMIINFO.dll, which reads it, must lie in the System32 folder"},
    {status::sfs_load_failed,
     "sfs.dll, the server's event-log library, could not be loaded: it comes with the server's management software "
     "and must lie beside mgxtool.exe, in "},
    {status::bmc_load_failed,
     "Bmc.dll, the product's bmc library, could not be loaded from Halcore's folder: repair the installation"},
    {status::bmc_entry_missing, "Bmc.dll lacks an entry Halcore calls: repair the installation"},
    {status::driver_not_found,
     "the management unit's device could not be opened: its kernel driver (the service imbdrv, BMC or SMBUS2) "
     "must be installed and started"},
    {status::service_not_started, "the kernel driver's service could not be started"},
};

}  // namespace

std::string missing_piece(std::int32_t code) {
    for (const MissingPiece &piece : missing_pieces) {
        if (piece.status != code) continue;
        return code == status::sfs_load_failed ? piece.what + win32::program_directory() : piece.what;
    }
    return "";
}

std::string status_words(std::int32_t code) {
    const std::string piece = missing_piece(code);
    return "status " + std::to_string(code) + (piece.empty() ? "" : ": " + piece);
}

}  // namespace mgx::tool
