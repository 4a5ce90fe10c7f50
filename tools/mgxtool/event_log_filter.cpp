#include "event_log_filter.h"

#include <charconv>
#include <cstdio>

namespace mgx::tool {

using namespace mgx::hal;

bool EventLogFilter::admits(const EventLogEntry &entry) const {
    if (since || until) {
        const std::optional<std::uint32_t> date = entry.record.date();
        if (!date || (since && *date < *since) || (until && *date > *until)) return false;
    }
    if (!at_least && !sensor_type) return true;
    if (entry.record.kind != EventRecordKind::SystemEvent) return false;
    const SystemEvent &event = entry.record.event;
    return (!at_least || entry.severity >= *at_least) && (!sensor_type || event.sensor_type == *sensor_type);
}

std::optional<std::uint32_t> parse_event_time(std::string_view text, std::time_t now) {
    if (text.size() >= 2 && text.find_first_not_of("0123456789", 0) == text.size() - 1) {
        unsigned long amount = 0;
        if (std::from_chars(text.data(), text.data() + text.size() - 1, amount).ec != std::errc{}) return std::nullopt;
        unsigned long unit = 0;
        switch (text.back()) {
        case 's': unit = 1; break;
        case 'm': unit = 60; break;
        case 'h': unit = 3600; break;
        case 'd': unit = 86400; break;
        default: return std::nullopt;
        }
        if (amount > static_cast<unsigned long>(now) / unit) return std::nullopt;
        return static_cast<std::uint32_t>(now - static_cast<std::time_t>(amount * unit));
    }
    const std::string date(text);
    std::tm parts{};
    int used = 0;
    const int fields = std::sscanf(date.c_str(), "%4d-%2d-%2d%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday, &used);
    if (fields != 3) return std::nullopt;
    if (static_cast<std::size_t>(used) < date.size()) {
        int rest = 0;
        const char separator = date[static_cast<std::size_t>(used)];
        if ((separator != 'T' && separator != ' ') ||
            std::sscanf(date.c_str() + used + 1, "%2d:%2d%n", &parts.tm_hour, &parts.tm_min, &rest) != 2)
            return std::nullopt;
        used += 1 + rest;
        if (static_cast<std::size_t>(used) < date.size()) {
            if (std::sscanf(date.c_str() + used, ":%2d%n", &parts.tm_sec, &rest) != 1) return std::nullopt;
            used += rest;
        }
        if (static_cast<std::size_t>(used) != date.size()) return std::nullopt;
    }
    if (parts.tm_mon < 1 || parts.tm_mon > 12 || parts.tm_mday < 1 || parts.tm_mday > 31 || parts.tm_hour > 23 ||
        parts.tm_min > 59 || parts.tm_sec > 59 || parts.tm_year < 1970)
        return std::nullopt;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    const int day = parts.tm_mday;
    const std::time_t seconds = _mkgmtime(&parts);
    if (seconds < 0 || parts.tm_mday != day || seconds > 0xFFFFFFFF) return std::nullopt;  // 2026-02-31 rolls over
    return static_cast<std::uint32_t>(seconds);
}

}  // namespace mgx::tool
