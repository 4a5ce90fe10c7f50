// One use of Halcore: initialised on construction, shut down on destruction, with the unit to
// itself among mgxtool runs all the while.
#pragma once

#include <cstdint>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

#include <halcore/mgx_call.h>
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "output.h"
#include "unit_access_lock.h"

namespace mgx::tool {

class HalcoreSession {
public:
    // Waits at most `lock_limit_ms` for the other runs; when they keep the unit longer the
    // library is not started and the session is not usable (lock_timed_out()).
    explicit HalcoreSession(DWORD lock_limit_ms = INFINITE);
    HalcoreSession(const HalcoreSession &) = delete;
    HalcoreSession &operator=(const HalcoreSession &) = delete;
    ~HalcoreSession();

    std::int32_t init_status() const { return init_status_; }
    std::int32_t back_end_state() const { return back_end_state_; }
    bool lock_timed_out() const { return !lock_.held(); }
    // The states in which management-unit commands can be sent.
    bool usable() const;
    // Shuts down now (instead of at destruction) and returns HCXFreeImbSmbDll's status.
    std::int32_t shut_down();

private:
    UnitAccessLock lock_;  // taken before the start, released after the shut-down
    std::int32_t init_status_ = 0;
    std::int32_t back_end_state_ = 0;
    bool open_ = false;
};

// "Intel, IMB request library" and the like, for a back-end state.
std::string describe_back_end(std::int32_t state);

// Marks a report whose command succeeded but delivered less than was asked for: the run then
// ends with exit status 1 after the report.
void mark_incomplete(nlohmann::json &document, std::ostringstream &text, const std::string &what);

// The --check flag of the setting commands: they check what they are given and say whether it
// would change anything ("changed"), and write nothing.
CLI::Option *add_check_flag(CLI::App *command, bool &check_only);

// The library's state after initialisation, for reports.
nlohmann::json session_json(const HalcoreSession &session);

// Initialises Halcore and, when the unit can be reached, runs `command`, which fills the report
// and returns a status; reports either way, and throws CommandFailed for a non-zero status or
// when the command marked its report incomplete (mark_incomplete).
void with_unit(const OutputOptions &options, const std::function<std::int32_t(nlohmann::json &, std::ostringstream &)> &command);
// The same for a command that asks the session itself (its back-end state, say).
void with_unit_session(
    const OutputOptions &options,
    const std::function<std::int32_t(const HalcoreSession &, nlohmann::json &, std::ostringstream &)> &command);

// A setting's write as every setting command does it: `wanted` is written with Write only when
// `current` does not already hold it (by `same`), then read back into `current` with Read and
// compared. 0 or the unit's status; throws CommandFailed(`kept_other`) when the unit kept
// something else. `changed` says whether it was written; with `check_only` nothing is written
// and `changed` says whether it would have been.
template <hal::CommandType Write, hal::CommandType Read, typename Value, typename Same = std::equal_to<>>
std::int32_t write_when_different(Value &current, const Value &wanted, bool check_only, bool &changed, const char *kept_other,
                                  Same same = {}) {
    changed = false;
    if (same(current, wanted)) return 0;
    if (check_only) {
        changed = true;
        return 0;
    }
    if (std::int32_t status = hal::mgx_call<Write>(wanted)) return status;
    if (std::int32_t status = hal::mgx_call<Read>(current)) return status;
    if (!same(current, wanted)) throw CommandFailed(kept_other);
    changed = true;
    return 0;
}

}  // namespace mgx::tool
