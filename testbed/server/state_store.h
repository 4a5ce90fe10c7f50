// Where the unit's memory lives between server runs: one JSON file per prefix. Every change
// replaces it whole (a new file beside it, flushed, then moved over it), so a crash leaves the
// old state or the new one, never a torn file. A file that cannot be used is never thrown
// away: it is moved aside under a time-stamped name.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace mgx::testbed {

// A remembered state that exists but cannot be used; what() says why.
struct UnusableState : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class StateStore {
public:
    explicit StateStore(std::filesystem::path file) : file_(std::move(file)) {}

    // nullopt when nothing is remembered; throws UnusableState for a file that is empty or is
    // not a JSON object.
    std::optional<nlohmann::json> load() const;
    // Throws std::runtime_error when the file cannot be written.
    void save(const nlohmann::json &state) const;
    // Moves the file aside as "<name>.unusable-YYYYMMDD-HHMMSS[-N]" (local time) beside it and
    // returns the new path; throws std::runtime_error when it cannot be moved.
    std::filesystem::path set_aside() const;
    const std::filesystem::path &file() const { return file_; }

private:
    std::filesystem::path file_;
};

}  // namespace mgx::testbed
