#include "metrics_exposition.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mgx::tool {

namespace {

std::string number(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// HELP text escapes backslash and line feed.
std::string escaped_help(const std::string &help) {
    std::string out;
    for (const char c : help) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string escaped_label_value(const std::string &value) {
    std::string out;
    for (const char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void Exposition::gauge(const std::string &name, const std::string &help, const MetricLabels &labels, double value) {
    auto family = std::find_if(families_.begin(), families_.end(), [&](const Family &known) { return known.name == name; });
    if (family == families_.end()) family = families_.insert(families_.end(), Family{name, help, {}});
    std::string sample = name;
    if (!labels.empty()) {
        sample += '{';
        for (std::size_t i = 0; i < labels.size(); ++i)
            sample += (i ? "," : "") + labels[i].first + "=\"" + escaped_label_value(labels[i].second) + "\"";
        sample += '}';
    }
    family->samples.push_back(sample + " " + number(value));
}

std::string Exposition::text() const {
    std::string out;
    for (const Family &family : families_) {
        out += "# HELP " + family.name + " " + escaped_help(family.help) + "\n# TYPE " + family.name + " gauge\n";
        for (const std::string &sample : family.samples) out += sample + "\n";
    }
    return out;
}

}  // namespace mgx::tool
