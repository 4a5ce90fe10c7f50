#include "state_store.h"

#include <windows.h>

#include <fstream>
#include <stdexcept>

namespace mgx::testbed {

std::optional<nlohmann::json> StateStore::load() const {
    std::ifstream stream(file_);
    if (!stream) return std::nullopt;
    nlohmann::json state = nlohmann::json::parse(stream, nullptr, false);
    if (state.is_discarded() || !state.is_object()) return std::nullopt;
    return state;
}

void StateStore::save(const nlohmann::json &state) const {
    std::filesystem::create_directories(file_.parent_path());
    const std::filesystem::path temporary = file_.string() + ".new";
    {
        std::ofstream stream(temporary, std::ios::trunc);
        stream << state.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        if (!stream.flush()) throw std::runtime_error("cannot write " + temporary.string());
    }
    if (!MoveFileExW(temporary.c_str(), file_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw std::runtime_error("cannot replace " + file_.string());
}

}  // namespace mgx::testbed
