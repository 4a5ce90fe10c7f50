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
    // A gauge sample; the family is declared with `help` the first time its name comes.
    void gauge(const std::string &name, const std::string &help, const MetricLabels &labels, double value);
    std::string text() const;

private:
    struct Family {
        std::string name, help;
        std::vector<std::string> samples;
    };
    std::vector<Family> families_;
};

// A label value as the format writes it: backslash, double quote and line feed escaped.
std::string escaped_label_value(const std::string &value);

}  // namespace mgx::tool
