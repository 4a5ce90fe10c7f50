// What a metrics run has collected, shared by the thread that asks the unit and the one that
// keeps the run's time: once the time is up the collection is closed, what is added later is
// dropped, and every source that has not reported is not up.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "metrics_exposition.h"

namespace mgx::tool {

inline constexpr const char *metric_prefix = "mgx_";

class CollectedMetrics {
public:
    void gauge(const std::string &name, const std::string &help, const MetricLabels &labels, double value);
    // mgx_up for a source: 1 when it was read in full, 0 when it failed or ran out of time.
    void up(const char *collector, bool read);
    // A source's series all at once, with its mgx_up: a source is in the collection whole or not
    // at all.
    void publish(const char *collector, const Exposition &series, bool read);
    // The series a source stands for when it does not report in time (all NaN), for a source
    // whose series are known only once it has begun (the sensors, from their catalogue).
    void expect(const char *collector, Exposition not_read);
    // Closes the collection: each of `collectors` that has not reported gets the series it is
    // expected with, or else those `not_read` writes for it, and is down. The text.
    std::string close(std::initializer_list<const char *> collectors,
                      const std::function<void(Exposition &, const char *collector)> &not_read);

private:
    std::mutex mutex_;
    Exposition out_{metric_prefix};
    std::set<std::string> reported_;
    std::map<std::string, Exposition> expected_;
    bool closed_ = false;
};

}  // namespace mgx::tool
