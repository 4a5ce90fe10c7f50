// The back-end state HCXInitImbSmbDll hands back: which path reaches the management unit and
// whether it answered.
#pragma once

#include <cstdint>

namespace mgx::hal {

enum BackEndState : std::int32_t {
    IntelUnitSilent = 0,  // IMB back end up, unit did not answer
    AcerMachine = 1,      // machine type only
    SmbusUp = 2,
    ImbUp = 3,
    ImbUpS450 = 4,
    BmcUnitSilent = 5,
    BmcUp = 6,
    Unrecognised = 7,
};

// The states in which the management unit can be used.
constexpr bool is_usable(std::int32_t state) {
    return state == SmbusUp || state == ImbUp || state == ImbUpS450 || state == BmcUp;
}

}  // namespace mgx::hal
