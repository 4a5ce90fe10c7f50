// sfs.dll: the outside event log library, as a stand-in that reads the virtual server's event log
// over its control pipe. Its request record and record-ID scheme are its own:
//
//   SelEntryRequest (20 bytes): record ID (16-bit; 0 the first record), then the next record's
//   ID (16-bit, written; 0xFFFF after the last), then the 16-byte record (written).
//
// SELGetEntry results: 0 the record was written; 1 no such record (an empty log, an ID past the
// end); 2 the virtual server did not answer; 3 a NULL request. The second argument is not used.
#include <cstdint>
#include <cstring>

#include "control_client.h"
#include "sel_entry.h"
#include "text/hex.h"

namespace control_key = mgx::testbed::control::key;

extern "C" std::int32_t SELGetEntry(void *request, void *) {
    if (!request) return 3;
    SelEntryRequest entry;
    std::memcpy(&entry, request, sizeof entry);
    nlohmann::json answer;
    try {
        answer = mgx::testbed::control_request(mgx::testbed::control::sel_entry, {{control_key::record_id, entry.record_id}});
    } catch (const std::exception &) {
        return 2;
    }
    if (!answer.value(control_key::found, false)) return 1;
    const auto bytes = mgx::text::from_hex(answer.value(control_key::data, ""));
    if (!bytes || bytes->size() != sizeof entry.record) return 1;
    entry.next_record_id = answer.value(control_key::next_record_id, sel_last_record);
    std::memcpy(entry.record, bytes->data(), sizeof entry.record);
    std::memcpy(request, &entry, sizeof entry);
    return 0;
}
