// The testbed's own encoder of system event log records, from the readable descriptions of a
// profile's "event_log": it lays the IPMI 2.0 record out byte by byte and shares nothing with
// the product's decoder, so the product is checked against it.
#pragma once

#include <nlohmann/json.hpp>

#include "ipmi_message.h"

namespace mgx::testbed {

// A record of 16 bytes (its record ID 0; the log sets it) from either
//   "16 hexadecimal bytes", or
//   {"timestamp": "2026-11-30 08:15:00" | {"since_initialisation": seconds} (absent: unspecified),
//    "generator_id": 0x20, "evm_revision": 4, "sensor_type": 1, "sensor_number": 1, "event_type": 1,
//    "direction": "assertion" | "deassertion", "offset": 9,
//    "trigger_reading": 92, "trigger_threshold": 90 (threshold events),
//    "previous_state": 0, "severity_offset": 2 (discrete events), "oem_data_2": 0, "oem_data_3": 0}, or
//   {"record_type": 0xC0 to 0xDF, "timestamp": ..., "manufacturer_id": 0x1A2B3C, "oem_data": "6 bytes"}, or
//   {"record_type": 0xE0 to 0xFF, "oem_data": "13 bytes"}.
// Throws std::runtime_error naming what is wrong, a key it does not know among them.
Bytes encode_event_record(const nlohmann::json &description);

}  // namespace mgx::testbed
