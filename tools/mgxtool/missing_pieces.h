// Halcore's statuses that stand for an outside library, a driver or a table that is not there:
// what is missing and where it must be, so that a failure names it instead of a bare number.
#pragma once

#include <cstdint>
#include <string>

namespace mgx::tool {

// The missing piece and its place, or "" for a status that stands for none.
std::string missing_piece(std::int32_t status);

// "status 31: sfs.dll, ... must lie ...", or "status N" for a status that names no missing piece.
std::string status_words(std::int32_t status);

}  // namespace mgx::tool
