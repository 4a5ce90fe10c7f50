// Reading the fields of the readable descriptions the testbed's encoders take (repositories, FRU
// images, event log records): each a whole number in its range, or a clear error naming it.
#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace mgx::testbed {

// `key` of `node` as an integer from `lowest` to `highest`; `fallback` where it is absent.
inline int number(const nlohmann::json &node, const char *key, int fallback, int lowest, int highest) {
    if (!node.contains(key)) return fallback;
    if (!node[key].is_number_integer()) throw std::runtime_error(std::string("\"") + key + "\" must be an integer");
    const long long value = node[key].get<long long>();
    if (value < lowest || value > highest)
        throw std::runtime_error(std::string("\"") + key + "\" must be " + std::to_string(lowest) + " to " +
                                 std::to_string(highest));
    return static_cast<int>(value);
}

inline std::uint8_t byte(const nlohmann::json &node, const char *key, int fallback = 0) {
    return static_cast<std::uint8_t>(number(node, key, fallback, 0, 255));
}

}  // namespace mgx::testbed
