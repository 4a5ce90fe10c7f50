#include "event_log_commands.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/input_parsing.h"
#include "event_log_cache.h"
#include "event_log_entries.h"
#include "event_log_filter.h"
#include "event_log_read.h"
#include "halcore_session.h"
#include "missing_pieces.h"
#include "sensor_type_option.h"
#include "text/hex.h"

namespace mgx::tool {

namespace {

struct EventLogOptions {
    int last = 0;  // 0: every record
    bool raw = false;
    bool fresh = false;
    bool local = false;
    std::string since, until, severity;
    std::uint32_t sensor_type = 0;  // 0: any
};

// The filter the options ask for; a time that is not one is refused before anything is read.
EventLogFilter filter_of(const EventLogOptions &options) {
    EventLogFilter filter;
    const std::time_t now = std::time(nullptr);
    const auto time_of = [now](const std::string &text, const char *option) -> std::optional<std::uint32_t> {
        if (text.empty()) return std::nullopt;
        const std::optional<std::uint32_t> seconds = parse_event_time(text, now);
        if (!seconds)
            throw CLI::ValidationError(std::string(option) + ": \"" + text +
                                       "\" is no time: give 2026-12-01, 2026-12-01T08:00[:00] (UTC) or 90s, 30m, 24h, 7d");
        return seconds;
    };
    filter.since = time_of(options.since, "--since");
    filter.until = time_of(options.until, "--until");
    if (options.severity == "warning") filter.at_least = hal::Severity::Warning;
    if (options.severity == "critical") filter.at_least = hal::Severity::Critical;
    if (options.sensor_type) filter.sensor_type = static_cast<std::uint8_t>(options.sensor_type);
    return filter;
}

// The sensors' names and conversions from the library's sensor queries (none without a usable
// unit); taken before the log is read, so the unit is free for other runs while the event log
// library reads the log.
SensorCatalogue sensor_names() {
    SensorCatalogue sensors;
    const HalcoreSession session;
    if (session.usable()) {
        sensors = SensorCatalogue::read();
        sensors.keep_conversions();
    }
    return sensors;
}

void fail_on_read_error(const EventLogRead &log, nlohmann::json &document, std::ostringstream &text) {
    if (log.status == 0) return;
    text << "reading the event log failed with " << status_words(log.status) << "\n";
    if (const std::string piece = missing_piece(log.status); !piece.empty()) document["missing"] = piece;
}

void list_event_log(const OutputOptions &output, const EventLogOptions &options) {
    const EventLogFilter filter = filter_of(options);
    const SensorCatalogue sensors = options.raw ? SensorCatalogue{} : sensor_names();
    const EventLogRead log = read_event_log_kept(options.fresh);
    // The newest matches first, as many as asked for, then shown oldest first.
    const std::size_t wanted = options.last ? static_cast<std::size_t>(options.last) : log.records.size();
    std::vector<EventLogEntry> shown;
    for (auto data = log.records.rbegin(); data != log.records.rend() && shown.size() < wanted; ++data) {
        EventLogEntry entry = describe_event(*data, sensors);
        if (filter.admits(entry)) shown.push_back(std::move(entry));
    }
    std::reverse(shown.begin(), shown.end());
    nlohmann::json records = nlohmann::json::array();
    std::ostringstream text;
    const Clock clock = options.local ? Clock::Local : Clock::Utc;
    for (const EventLogEntry &entry : shown) {
        if (options.raw) {
            const int record_id = entry.data[0] | entry.data[1] << 8;
            const std::string bytes = text::to_hex(entry.data);
            text << "record " << record_id << "  " << bytes << "\n";
            records.push_back({{"record_id", record_id}, {"data", bytes}});
            continue;
        }
        // Only what is asked for is rendered: a full log has 65,534 records.
        if (output.json)
            records.push_back(event_json(entry));
        else
            text << event_line(entry, clock);
    }
    if (log.records.empty() && log.status == 0) text << "the event log is empty\n";
    if (!log.records.empty() && shown.empty() && filter.any()) text << "no record matches\n";
    nlohmann::json document = {{"status", log.status}, {"records", records}};
    fail_on_read_error(log, document, text);
    report(output, document, text.str());
    if (log.status != 0) throw CommandFailed("reading the event log failed");
}

// What the log holds: its records and the dates of its first and last dated ones. The event log
// library tells neither the log's size nor how full it is.
void show_event_log_info(const OutputOptions &output, const EventLogOptions &options) {
    const EventLogRead log = read_event_log_kept(options.fresh);
    const Clock clock = options.local ? Clock::Local : Clock::Utc;
    std::optional<std::uint32_t> first, last;
    std::size_t undated = 0;
    for (const auto &data : log.records) {
        const std::optional<hal::EventRecord> decoded = hal::decode_event_record(data);
        const std::optional<std::uint32_t> date = decoded ? decoded->date() : std::nullopt;
        if (!date) {
            ++undated;
            continue;
        }
        if (!first) first = date;
        last = date;
    }
    nlohmann::json document = {{"status", log.status},
                               {"entries", log.records.size()},
                               {"undated_entries", undated},
                               {"first_timestamp", first ? nlohmann::json(*first) : nlohmann::json(nullptr)},
                               {"last_timestamp", last ? nlohmann::json(*last) : nlohmann::json(nullptr)},
                               {"capacity", nullptr}};
    std::ostringstream text;
    text << "entries            " << log.records.size() << " (" << undated << " without a date)\n"
         << "first dated record " << (first ? date_text(*first, clock) : "-") << "\n"
         << "last dated record  " << (last ? date_text(*last, clock) : "-") << "\n"
         << "capacity           not told by the event log library (IPMI allows at most 65534 records)\n";
    fail_on_read_error(log, document, text);
    report(output, document, text.str());
    if (log.status != 0) throw CommandFailed("reading the event log failed");
}

}  // namespace

void add_event_log_commands(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<EventLogOptions>();
    CLI::App *command = app.add_subcommand("sel", "the system event log, one line a record, from record ID 0 on");
    cli::add_number(command, "--last", options->last, "show only the newest N records", 1, 0xFFFF);
    command->add_flag("--raw", options->raw, "each record's 16 bytes, undecoded");
    command->add_flag("--fresh", options->fresh, "read the whole log from its start, not on from the copy the last listing kept");
    command->add_option("--since", options->since,
                        "only records dated at or after: 2026-12-01[T08:00[:00]] (UTC) or 24h, 7d ago");
    command->add_option("--until", options->until, "only records dated at or before, as --since");
    command->add_option("--severity", options->severity, "only events at least this bad")
        ->check(CLI::IsMember({"warning", "critical"}));
    command->add_option("--type", options->sensor_type, "only events of this sensor type: 1 to 254 or its name")
        ->transform(sensor_type_named());
    command->add_flag("--local", options->local, "dates in this machine's time zone instead of UTC");
    CLI::App *info = command->add_subcommand("info", "what the log holds: its records and the dates of the first and last");
    info->callback([&output, options] { show_event_log_info(output, *options); });
    command->callback([&output, options, info] {
        if (!info->parsed()) list_event_log(output, *options);
    });
}

}  // namespace mgx::tool
