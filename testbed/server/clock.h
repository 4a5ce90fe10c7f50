// Time as the virtual server sees it: a time source plus an offset that tests can advance, so
// lock expiry and running hours can be exercised without waiting.
#pragma once

#include <cstdint>

namespace mgx::testbed {

class Clock {
public:
    virtual ~Clock() = default;
    std::int64_t now_ms() const { return source_ms() + offset_ms_; }
    void advance(std::int64_t ms) { offset_ms_ += ms; }
    std::int64_t offset_ms() const { return offset_ms_; }

protected:
    virtual std::int64_t source_ms() const = 0;

private:
    std::int64_t offset_ms_ = 0;
};

// Milliseconds since 1970 from the system clock.
class SystemClock final : public Clock {
protected:
    std::int64_t source_ms() const override;
};

}  // namespace mgx::testbed
