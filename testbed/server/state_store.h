// Where the unit's memory lives between server runs: one JSON file per prefix, replaced
// atomically on every change.
#pragma once

#include <filesystem>
#include <optional>

#include <nlohmann/json.hpp>

namespace mgx::testbed {

class StateStore {
public:
    explicit StateStore(std::filesystem::path file) : file_(std::move(file)) {}

    // nullopt when there is no file or it does not parse (a fresh unit then starts).
    std::optional<nlohmann::json> load() const;
    // Throws std::runtime_error when the file cannot be written.
    void save(const nlohmann::json &state) const;
    const std::filesystem::path &file() const { return file_; }

private:
    std::filesystem::path file_;
};

}  // namespace mgx::testbed
