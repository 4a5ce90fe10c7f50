#include "halcore_session.h"

#include "halcore.h"

namespace mgx::tool {

HalcoreSession::HalcoreSession() { init_status_ = HCXInitImbSmbDll(&back_end_state_); }

HalcoreSession::~HalcoreSession() { shut_down(); }

bool HalcoreSession::usable() const {
    return back_end_state_ == 2 || back_end_state_ == 3 || back_end_state_ == 4 || back_end_state_ == 6;
}

std::int32_t HalcoreSession::shut_down() {
    if (!open_) return 0;
    open_ = false;
    return HCXFreeImbSmbDll();
}

std::string describe_back_end(std::int32_t state) {
    switch (state) {
    case 0: return "Intel baseboard; the unit did not answer through the IMB request library";
    case 1: return "Acer baseboard; the SMBus back end did not start";
    case 2: return "Acer baseboard; the unit answers over the SMBus driver";
    case 3: return "Intel baseboard; the unit answers through the IMB request library";
    case 4: return "Intel S450 baseboard; the unit answers through the IMB request library";
    case 5: return "Velmora baseboard; the unit did not answer through the bmc library";
    case 6: return "Velmora baseboard; the unit answers through the bmc library";
    case 7: return "unrecognised baseboard vendor; no back end";
    default: return "unknown state";
    }
}

}  // namespace mgx::tool
