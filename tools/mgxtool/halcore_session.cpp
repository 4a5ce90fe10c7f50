#include "halcore_session.h"

#include "elevation.h"
#include "missing_pieces.h"

#include <halcore/back_end_state.h>
#include <halcore/halcore.h>

namespace mgx::tool {

HalcoreSession::HalcoreSession(DWORD lock_limit_ms) : lock_(lock_limit_ms) {
    if (lock_.held()) init_status_ = HCXInitImbSmbDll(&back_end_state_);
    open_ = lock_.held();
}

HalcoreSession::~HalcoreSession() { shut_down(); }

bool HalcoreSession::usable() const { return hal::is_usable(back_end_state_); }

std::int32_t HalcoreSession::shut_down() {
    if (!open_) return 0;
    open_ = false;
    return HCXFreeImbSmbDll();
}

std::string describe_back_end(std::int32_t state) {
    using namespace hal;
    switch (state) {
    case IntelUnitSilent: return "Intel baseboard; the unit did not answer through the IMB request library";
    case AcerMachine: return "Acer baseboard; the SMBus back end did not start";
    case SmbusUp: return "Acer baseboard; the unit answers over the SMBus driver";
    case ImbUp: return "Intel baseboard; the unit answers through the IMB request library";
    case ImbUpS450: return "Intel S450 baseboard; the unit answers through the IMB request library";
    case BmcUnitSilent: return "Velmora baseboard; the unit did not answer through the bmc library";
    case BmcUp: return "Velmora baseboard; the unit answers through the bmc library";
    case Unrecognised: return "unrecognised baseboard vendor; no back end";
    default: return "unknown state";
    }
}

nlohmann::json session_json(const HalcoreSession &session) {
    return {{"init_status", session.init_status()},
            {"back_end_state", session.back_end_state()},
            {"back_end", describe_back_end(session.back_end_state())},
            {"usable", session.usable()}};
}

void with_unit(const OutputOptions &options, const std::function<std::int32_t(nlohmann::json &, std::ostringstream &)> &command) {
    with_unit_session(options, [&command](const HalcoreSession &, nlohmann::json &document, std::ostringstream &text) {
        return command(document, text);
    });
}

void with_unit_session(
    const OutputOptions &options,
    const std::function<std::int32_t(const HalcoreSession &, nlohmann::json &, std::ostringstream &)> &command) {
    HalcoreSession session;
    nlohmann::json document = session_json(session);
    std::ostringstream text;
    if (!session.usable()) {
        document["status"] = nullptr;
        if (const std::string piece = missing_piece(session.init_status()); !piece.empty()) document["missing"] = piece;
        report(options, document,
               "the management unit cannot be reached: back-end state " + std::to_string(session.back_end_state()) + " (" +
                   describe_back_end(session.back_end_state()) + "), " + status_words(session.init_status()) + "\n");
        if (!token_is_elevated())
            throw_refused("the library's start (the driver service)", session.init_status(), StatusSource::Halcore);
        throw CommandFailed("unit not reachable");
    }
    std::int32_t status = command(session, document, text);
    document["status"] = status;
    if (status != 0) text << "failed with status " << status << "\n";
    report(options, document, text.str());
    if (status != 0) throw CommandFailed("command failed");
    if (document.contains("incomplete")) throw CommandFailed("incomplete: " + document["incomplete"].get<std::string>());
}

void mark_incomplete(nlohmann::json &document, std::ostringstream &text, const std::string &what) {
    document["incomplete"] = what;
    text << "INCOMPLETE: " << what << "\n";
}

CLI::Option *add_check_flag(CLI::App *command, bool &check_only) {
    return command->add_flag("--check", check_only, "say whether it would change anything, and write nothing");
}

}  // namespace mgx::tool
