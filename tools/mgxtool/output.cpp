#include "output.h"

#include <cstdio>

namespace mgx::tool {

void report(const OutputOptions &options, const nlohmann::json &document, const std::string &text) {
    const std::string shown = options.json ? document.dump(2) + "\n" : text;
    std::fputs(shown.c_str(), stdout);
}

}  // namespace mgx::tool
