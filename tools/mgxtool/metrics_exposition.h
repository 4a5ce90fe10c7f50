// The Prometheus text exposition format, as the textfile collectors of node_exporter and
// windows_exporter read it: every family with its HELP and TYPE once, its samples after them,
// label values escaped, a value that could not be read as NaN.
#pragma once

#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace mgx::tool {

using MetricLabels = std::vector<std::pair<std::string, std::string>>;

inline constexpr double not_read = std::numeric_limits<double>::quiet_NaN();

class Exposition {
public:
    // Every family's name begins with `prefix`.
    explicit Exposition(std::string prefix) : prefix_(std::move(prefix)) {}

    // A gauge sample of the family `name` (after the prefix); the family is declared with `help`
    // the first time its name comes.
    void gauge(const std::string &name, const std::string &help, const MetricLabels &labels, double value);
    std::string text() const;
    // Adds every sample of `other` (which has the same prefix), each family declared once.
    void merge(const Exposition &other);

private:
    struct Family {
        std::string name, help;
        std::vector<std::string> samples;
    };
    std::string prefix_;
    std::vector<Family> families_;
};

}  // namespace mgx::tool
