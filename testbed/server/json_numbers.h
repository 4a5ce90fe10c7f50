// Whole numbers in control requests and remembered state: JSON keeps non-negative numbers as
// signed or unsigned, and a negative one must never wrap into a large count.
#pragma once

#include <cstdint>
#include <optional>

#include <nlohmann/json.hpp>

namespace mgx::testbed {

// The value of an integer 0 or more; nullopt for anything else.
inline std::optional<std::uint64_t> whole_number(const nlohmann::json &value) {
    if (value.is_number_unsigned()) return value.get<std::uint64_t>();
    if (value.is_number_integer() && value.get<std::int64_t>() >= 0) return static_cast<std::uint64_t>(value.get<std::int64_t>());
    return std::nullopt;
}

}  // namespace mgx::testbed
