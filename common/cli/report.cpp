#include "cli/report.h"

#include <cstdio>

namespace mgx::cli {

void report(const OutputOptions &options, const nlohmann::json &document, const std::string &text) {
    // Outside texts are already valid; the replacement keeps any other stray byte from failing the run.
    const std::string shown = options.json ? document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n" : text;
    std::fwrite(shown.data(), 1, shown.size(), stdout);
}

}  // namespace mgx::cli
