#include "change_report.h"

#include <algorithm>
#include <iterator>

namespace mgx::tool {

void log_changes_said(const std::vector<Change> &changes, nlohmann::json &document, std::ostringstream &text) {
    if (std::string why; !service::log_changes("mgxtool", changes, &why)) {
        text << why << "\n";
        document["change_log_error"] = why;
    }
}

std::string change_line(const Change &change, bool check_only) {
    if (!change.differs()) return change.what + " already " + change.after + ", nothing written";
    return std::string(check_only ? "would change " : "changed ") + change.what + " from " + change.before + " to " +
           change.after;
}

void report_changes(const std::vector<Change> &changes, bool check_only, nlohmann::json &document, std::ostringstream &text,
                    bool each_unchanged, bool written) {
    nlohmann::json list = nlohmann::json::array();
    bool any = false;
    std::size_t unchanged = 0;
    for (const Change &change : changes) {
        if (each_unchanged || change.differs())
            text << change_line(change, check_only) << "\n";
        else
            ++unchanged;
        list.push_back(
            {{"what", change.what}, {"before", change.before}, {"after", change.after}, {"changed", change.differs()}});
        any |= change.differs();
    }
    if (unchanged) text << unchanged << (any ? " other" : "") << " values already hold, nothing written there\n";
    document["changes"] = list;
    document["changed"] = any;
    if (check_only || !written || !any) return;
    std::vector<Change> differing;
    std::copy_if(changes.begin(), changes.end(), std::back_inserter(differing),
                 [](const Change &change) { return change.differs(); });
    log_changes_said(differing, document, text);
}

}  // namespace mgx::tool
