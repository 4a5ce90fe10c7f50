#include "collected_metrics.h"

namespace mgx::tool {

namespace {

constexpr const char *up_help = "1 when the source was read in full, 0 when it failed or ran out of time";

}  // namespace

void CollectedMetrics::gauge(const std::string &name, const std::string &help, const MetricLabels &labels, double value) {
    const std::lock_guard lock(mutex_);
    if (!closed_) out_.gauge(name, help, labels, value);
}

void CollectedMetrics::up(const char *collector, bool read) {
    const std::lock_guard lock(mutex_);
    if (closed_ || !reported_.insert(collector).second) return;
    out_.gauge("up", up_help, {{"collector", collector}}, read ? 1 : 0);
}

void CollectedMetrics::publish(const char *collector, const Exposition &series, bool read) {
    const std::lock_guard lock(mutex_);
    if (closed_ || !reported_.insert(collector).second) return;
    out_.merge(series);
    out_.gauge("up", up_help, {{"collector", collector}}, read ? 1 : 0);
}

void CollectedMetrics::expect(const char *collector, Exposition not_read) {
    const std::lock_guard lock(mutex_);
    if (!closed_) expected_.insert_or_assign(collector, std::move(not_read));
}

std::string CollectedMetrics::close(std::initializer_list<const char *> collectors,
                                    const std::function<void(Exposition &, const char *collector)> &not_read) {
    const std::lock_guard lock(mutex_);
    if (!closed_)
        for (const char *collector : collectors)
            if (reported_.insert(collector).second) {
                if (const auto expected = expected_.find(collector); expected != expected_.end())
                    out_.merge(expected->second);
                else
                    not_read(out_, collector);
                out_.gauge("up", up_help, {{"collector", collector}}, 0);
            }
    closed_ = true;
    return out_.text();
}

}  // namespace mgx::tool
