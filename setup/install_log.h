// The setup program's optional log: time-stamped lines appended one at a time.
#pragma once

#include <optional>
#include <string>

namespace mgx::setup {

class InstallLog {
public:
    // No path: nothing is logged.
    explicit InstallLog(std::optional<std::string> path) : path_(std::move(path)) {}
    // "YYYY/MM/DD hh:mm:ss"(GK7T30U2)"<TAB>message"; a line that cannot be written is dropped.
    void line(const std::string &message) const;

private:
    std::optional<std::string> path_;
};

}  // namespace mgx::setup
