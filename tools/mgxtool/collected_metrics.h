// What a metrics run has collected, shared by the thread that asks the unit and the one that
// keeps the run's time: once the time is up the collection is closed, what is added later is
// dropped, and every source that has not reported is not up.
#pragma once

#include <initializer_list>
#include <mutex>
#include <set>
#include <string>

#include "metrics_exposition.h"

namespace mgx::tool {

class CollectedMetrics {
public:
    void gauge(const std::string &name, const std::string &help, const MetricLabels &labels, double value);
    // mgx_up for a source: 1 when it was read in full, 0 when it failed or ran out of time.
    void up(const char *collector, bool read);
    // Closes the collection: each of `collectors` that has not reported is down. The text.
    std::string close(std::initializer_list<const char *> collectors);

private:
    std::mutex mutex_;
    Exposition out_{"mgx_"};
    std::set<std::string> reported_;
    bool closed_ = false;
};

}  // namespace mgx::tool
