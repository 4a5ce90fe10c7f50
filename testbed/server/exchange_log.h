// Every device request the server answered, with its time, kept in a bounded ring.
#pragma once

#include <cstdint>
#include <deque>

#include <nlohmann/json.hpp>

#include "device_reply.h"

namespace mgx::testbed {

struct Exchange {
    std::uint64_t sequence = 0;
    std::int64_t time_ms = 0;
    DeviceRequest request;
    DeviceReply reply;
};

class ExchangeLog {
public:
    static constexpr std::size_t capacity = 20000;

    void record(std::int64_t time_ms, const DeviceRequest &request, const DeviceReply &reply);
    void clear() { entries_.clear(); }
    // Entries with a sequence number at or above `since`.
    nlohmann::json since(std::uint64_t sequence) const;
    std::uint64_t next_sequence() const { return next_sequence_; }
    std::size_t size() const { return entries_.size(); }

private:
    std::deque<Exchange> entries_;
    std::uint64_t next_sequence_ = 1;
};

nlohmann::json to_json(const Exchange &exchange);

}  // namespace mgx::testbed
