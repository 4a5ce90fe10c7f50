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

// Backslash and line feed escaped, and double quotes too when `quotes`.
std::string escaped(const std::string &text, bool quotes) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || (quotes && c == '"'))
            out += {'\\', c};
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

}  // namespace

void Exposition::gauge(const std::string &name, const std::string &help, const MetricLabels &labels, double value) {
    const std::string full_name = prefix_ + name;
    auto family = std::find_if(families_.begin(), families_.end(), [&](const Family &known) { return known.name == full_name; });
    if (family == families_.end()) family = families_.insert(families_.end(), Family{full_name, help, {}});
    std::string sample = full_name;
    if (!labels.empty()) {
        sample += '{';
        for (std::size_t i = 0; i < labels.size(); ++i)
            sample += (i ? "," : "") + labels[i].first + "=\"" + escaped(labels[i].second, true) + "\"";
        sample += '}';
    }
    family->samples.push_back(sample + " " + number(value));
}

void Exposition::merge(const Exposition &other) {
    for (const Family &incoming : other.families_) {
        auto family =
            std::find_if(families_.begin(), families_.end(), [&](const Family &known) { return known.name == incoming.name; });
        if (family == families_.end())
            families_.push_back(incoming);
        else
            family->samples.insert(family->samples.end(), incoming.samples.begin(), incoming.samples.end());
    }
}

std::string Exposition::text() const {
    std::string out;
    for (const Family &family : families_) {
        out += "# HELP " + family.name + " " + escaped(family.help, false) + "\n# TYPE " + family.name + " gauge\n";
        for (const std::string &sample : family.samples) out += sample + "\n";
    }
    return out;
}

}  // namespace mgx::tool
