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

nlohmann::json session_json(const HalcoreSession &session) {
    return {{"init_status", session.init_status()},
            {"back_end_state", session.back_end_state()},
            {"back_end", describe_back_end(session.back_end_state())},
            {"usable", session.usable()}};
}

void with_unit(const OutputOptions &options,
               const std::function<std::int32_t(nlohmann::json &, std::ostringstream &)> &command) {
    HalcoreSession session;
    nlohmann::json document = session_json(session);
    std::ostringstream text;
    if (!session.usable()) {
        document["status"] = nullptr;
        report(options, document,
               "the management unit cannot be reached: back-end state " + std::to_string(session.back_end_state()) + " (" +
                   describe_back_end(session.back_end_state()) + "), status " + std::to_string(session.init_status()) + "\n");
        throw CommandFailed("unit not reachable");
    }
    std::int32_t status = command(document, text);
    document["status"] = status;
    if (status != 0) text << "failed with status " << status << "\n";
    report(options, document, text.str());
    if (status != 0) throw CommandFailed("command failed");
}

int parse_byte(const std::string &text) {
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used, 0);
    } catch (const std::exception &) {
    }
    if (used != text.size() || value < 0 || value > 255) throw CLI::ValidationError("\"" + text + "\" is not a byte (0 to 255)");
    return value;
}

}  // namespace mgx::tool
