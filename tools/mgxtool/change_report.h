// What a writing command did, said the same way by every one of them: "changed X from A to B",
// "X already B, nothing written", or with --check "would change X from A to B"; in JSON a
// "changes" list of {what, before, after, changed}.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "change_log.h"

namespace mgx::tool {

// What a command changed (or would), as the change log keeps it.
using Change = service::LoggedChange;

std::string change_line(const Change &change, bool check_only);

// Puts `changes` into the change log; where that fails, says why in `text` and as
// `change_log_error` in `document`.
void log_changes_said(const std::vector<Change> &changes, nlohmann::json &document, std::ostringstream &text);

// Adds each change's line to `text` and the list to `document` ("changes"), and sets
// `document["changed"]` when any of them differs. Once they are `written` (not with `check_only`),
// it puts each one that differs into the change log. Without `each_unchanged` the values that
// already hold are counted in one line instead of one line each.
void report_changes(const std::vector<Change> &changes, bool check_only, nlohmann::json &document, std::ostringstream &text,
                    bool each_unchanged = true, bool written = true);

}  // namespace mgx::tool
