// What a writing command did, said the same way by every one of them: "changed X from A to B",
// "X already B, nothing written", or with --check "would change X from A to B"; in JSON a
// "changes" list of {what, before, after, changed}.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace mgx::tool {

struct Change {
    std::string what;
    std::string before;
    std::string after;

    bool differs() const { return before != after; }
};

std::string change_line(const Change &change, bool check_only);

// Adds each change's line to `text` and the list to `document` ("changes"), and sets
// `document["changed"]` when any of them differs. Once they are `written` (not with `check_only`),
// it puts each one that differs into the change log. Without `each_unchanged` the values that
// already hold are counted in one line instead of one line each.
void report_changes(const std::vector<Change> &changes, bool check_only, nlohmann::json &document, std::ostringstream &text,
                    bool each_unchanged = true, bool written = true);

}  // namespace mgx::tool
