// The testbed's own encoder of sensor data records and FRU inventory images, from readable
// descriptions (testbed/profiles/sources). It writes the standard layouts byte by byte and shares
// nothing with the product's decoders, so the product is checked against it.
#pragma once

#include <nlohmann/json.hpp>

#include "ipmi_message.h"

namespace mgx::testbed {

// {"records": [{"kind": "full" | "compact" | "locator", ...}]} into a repository dump. Full
// records and device locators have the IPMI 1.5 layout; compact records the IPMI 1.0 layout
// (ID string at offset 30). Throws std::runtime_error naming what is wrong.
Bytes encode_repository(const nlohmann::json &description);

// {"size": N, "chassis": {...}, "board": {...}, "product": {...}} into an image in the IPMI FRU
// storage format, padded with 0xFF to N bytes.
Bytes encode_fru_image(const nlohmann::json &description);

}  // namespace mgx::testbed
