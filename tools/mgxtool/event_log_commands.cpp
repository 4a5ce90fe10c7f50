#include "event_log_commands.h"

#include <algorithm>
#include <memory>
#include <sstream>

#include "cli/input_parsing.h"
#include "event_log_cache.h"
#include "event_log_entries.h"
#include "event_log_read.h"
#include "halcore_session.h"
#include "missing_pieces.h"
#include "text/hex.h"

namespace mgx::tool {

namespace {

struct EventLogOptions {
    int last = 0;  // 0: every record
    bool raw = false;
    bool fresh = false;
};

void list_event_log(const OutputOptions &output, const EventLogOptions &options) {
    // The sensors' names and conversions come from the library's sensor queries (without a
    // usable unit the records are shown without them); they are taken before the log is read,
    // and the unit is free again for other runs while the event log library reads the log.
    SensorCatalogue sensors;
    if (!options.raw) {
        const HalcoreSession session;
        if (session.usable()) {
            sensors = SensorCatalogue::read();
            sensors.keep_conversions();
        }
    }
    const EventLogRead log = read_event_log_kept(options.fresh);
    const std::size_t shown = options.last ? std::min<std::size_t>(options.last, log.records.size()) : log.records.size();
    nlohmann::json records = nlohmann::json::array();
    std::ostringstream text;
    for (auto data = log.records.end() - static_cast<std::ptrdiff_t>(shown); data != log.records.end(); ++data) {
        if (options.raw) {
            const int record_id = (*data)[0] | (*data)[1] << 8;
            const std::string bytes = text::to_hex(*data);
            text << "record " << record_id << "  " << bytes << "\n";
            records.push_back({{"record_id", record_id}, {"data", bytes}});
            continue;
        }
        const EventLogEntry entry = describe_event(*data, sensors);
        text << event_line(entry);
        records.push_back(event_json(entry));
    }
    if (log.records.empty() && log.status == 0) text << "the event log is empty\n";
    if (log.status != 0) text << "reading the event log failed with " << status_words(log.status) << "\n";
    nlohmann::json document = {{"status", log.status}, {"records", records}};
    if (const std::string piece = missing_piece(log.status); !piece.empty()) document["missing"] = piece;
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
    command->callback([&output, options] { list_event_log(output, *options); });
}

}  // namespace mgx::tool
