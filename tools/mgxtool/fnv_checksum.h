// The FNV-1a hash that the state files mgxtool keeps for itself carry, to tell a damaged file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mgx::tool {

inline constexpr std::uint32_t fnv_start = 2166136261u;

inline std::uint32_t fnv1a(std::uint32_t hash, const void *data, std::size_t size) {
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    for (std::size_t at = 0; at < size; ++at) hash = (hash ^ bytes[at]) * 16777619u;
    return hash;
}

}  // namespace mgx::tool
