// The two exchanges with the monitoring service: "02" on its command pipe, which it answers
// exactly while it runs, and the parts-change message that tells it which wear parts were
// changed.
#pragma once

#include <cstddef>
#include <string_view>

#include "wear_parts.h"

namespace mgx::service {

inline constexpr const char *command_pipe = "\\\\.\\pipe\\OMRA_PIPE";
inline constexpr const char *parts_change_pipe = "\\\\.\\pipe\\OMRAPartsChange";

// Twenty "0" (unchanged) or "1" (changed) characters by WearPartIndex, then a NUL.
#pragma pack(push, 1)
struct PartsChangeMessage {
    char flags[store::wear_part_count];
    char end = '\0';

    PartsChangeMessage() {
        for (char &flag : flags) flag = '0';
    }
    void mark(store::WearPartIndex part, bool changed) { flags[part] = changed ? '1' : '0'; }
    bool changed(store::WearPartIndex part) const { return flags[part] == '1'; }
    std::string_view text() const { return {flags, sizeof flags}; }
};
#pragma pack(pop)
static_assert(sizeof(PartsChangeMessage) == 21 && offsetof(PartsChangeMessage, end) == 20, "PartsChangeMessage layout");

// Sends "02" in a 128-byte block over the command pipe: true when the service took it and
// replied, which it does exactly while it runs.
bool monitoring_service_answers();

// Sends the message over the parts-change pipe: true when the service took note of it.
bool tell_parts_changed(const PartsChangeMessage &message);

}  // namespace mgx::service
