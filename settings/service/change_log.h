// The change log: one line for each value a program of the product changed in the unit or the
// product key (time, user, program, what, before, after), written through the product's logging
// library into "%ProgramData%\Uptiva\changes.log", where the settings program, mgxtool (and so
// the Ansible role) and the monitoring service all reach it, newest first, at most 600 lines.
#pragma once

#include <string>
#include <vector>

namespace mgx::service {

struct LoggedChange {
    std::string what, before, after;

    bool differs() const { return before != after; }
};

// The memory clear as both writers log it: what, before and after.
inline const LoggedChange memory_errors_cleared{"the memory-error information", "kept", "cleared"};
// The data initialisation as the settings program logs it (mgxtool defaults logs each value).
inline const LoggedChange product_key_initialised{"every value of the product key", "as it was", "its default"};

// "C:\ProgramData\Uptiva\changes.log".
std::string change_log_path();

// Adds a line for each change. The folder is made the administrators' own (SYSTEM and the
// Administrators full control, Users read); one that another account made first is not written
// into. False when a line could not be written, with the reason in `why`.
bool log_changes(const char *program, const std::vector<LoggedChange> &changes, std::string *why = nullptr);

}  // namespace mgx::service
