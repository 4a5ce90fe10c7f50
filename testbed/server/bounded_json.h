// JSON from files and the control pipe, parsed with a bound on its nesting: nothing the server
// reads is nested more than a few levels, and a file nested thousands of levels deep must be
// refused like any other unusable file instead of exhausting the stack of whatever walks it.
#pragma once

#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

namespace mgx::testbed {

inline constexpr int max_json_depth = 64;

struct JsonTooDeep : std::runtime_error {
    JsonTooDeep() : std::runtime_error("the JSON is nested more than " + std::to_string(max_json_depth) + " levels deep") {}
};

// Throws nlohmann::json::parse_error for text that is not JSON, JsonTooDeep for nesting past
// max_json_depth.
inline nlohmann::json parse_bounded_json(std::string_view text) {
    return nlohmann::json::parse(text, [](int depth, nlohmann::json::parse_event_t, const nlohmann::json &) {
        if (depth > max_json_depth) throw JsonTooDeep();
        return true;
    });
}

}  // namespace mgx::testbed
