// The collection a metrics run shares between its asking thread and its clock: a source is in
// it whole or not at all, and what comes after the close is dropped.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "collected_metrics.h"

namespace mgx::tool {
namespace {

Exposition part_with(double value) {
    Exposition part(metric_prefix);
    part.gauge("server_running_seconds", "running time", {}, value);
    return part;
}

void not_read(Exposition &out, const char *collector) {
    if (std::string(collector) == "unit")
        out.gauge("server_running_seconds", "running time", {}, std::numeric_limits<double>::quiet_NaN());
}

TEST(CollectedMetrics, ASourceIsInWholeOrFilledInAsNotReadAndNothingComesAfterTheClose) {
    CollectedMetrics published;
    published.publish("unit", part_with(3600), true);
    const std::string in_time = published.close({"unit", "sel"}, not_read);
    EXPECT_NE(in_time.find("mgx_server_running_seconds 3600\n"), std::string::npos) << in_time;
    EXPECT_NE(in_time.find("mgx_up{collector=\"unit\"} 1\n"), std::string::npos);
    EXPECT_EQ(in_time.find("NaN"), std::string::npos) << "published sources are not filled in";
    EXPECT_NE(in_time.find("mgx_up{collector=\"sel\"} 0"), std::string::npos);

    CollectedMetrics late;
    const std::string out_of_time = late.close({"unit"}, not_read);
    late.publish("unit", part_with(3600), true);
    late.gauge("temperature_celsius", "temperature", {}, 38);
    EXPECT_NE(out_of_time.find("mgx_server_running_seconds NaN\n"), std::string::npos) << out_of_time;
    EXPECT_NE(out_of_time.find("mgx_up{collector=\"unit\"} 0\n"), std::string::npos);
    EXPECT_EQ(late.close({"unit"}, not_read), out_of_time) << "what came after the close was dropped";
}

}  // namespace
}  // namespace mgx::tool
