#include "event_log_commands.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include <halcore/event_log_record.h>
#include <halcore/halcore.h>

#include "halcore_session.h"
#include "text/hex.h"
#include "win32/program_directory.h"

namespace mgx::tool {

namespace {

// One event log record's ID, from its first two bytes.
int record_id_of(const std::array<std::uint8_t, 16> &record) { return record[0] | record[1] << 8; }

void list_event_log(const OutputOptions &output) {
    const EventLogRead log = read_event_log();
    nlohmann::json records = nlohmann::json::array();
    std::ostringstream text;
    for (const auto &record : log.records) {
        const std::string bytes = text::to_hex(record);
        records.push_back({{"record_id", record_id_of(record)}, {"data", bytes}});
        text << "record " << record_id_of(record) << "  " << bytes << "\n";
    }
    if (records.empty() && log.status == 0) text << "the event log is empty\n";
    if (log.status != 0) text << "reading the event log failed with status " << log.status << "\n";
    report(output, {{"status", log.status}, {"records", records}}, text.str());
    if (log.status != 0) throw CommandFailed("reading the event log failed");
}

}  // namespace

EventLogRead read_event_log() {
    constexpr std::int32_t no_such_record = 1;                 // the library's answer past the end or for an empty log
    SetCurrentDirectoryA(win32::program_directory().c_str());  // Halcore loads the library from the current directory
    EventLogRead log;
    hal::EventLogRequest request{0, 0, {}};
    for (int read = 0; read <= 0xFFFF; ++read) {
        if ((log.status = HCXGetCompleteSELInfo(&request, nullptr)) != 0) break;
        log.records.emplace_back();
        std::copy(std::begin(request.record), std::end(request.record), log.records.back().begin());
        if (request.next_record_id == hal::event_log_last_record) break;
        request.record_id = request.next_record_id;
    }
    if (log.status == no_such_record && log.records.empty()) log.status = 0;  // an empty log
    return log;
}

void add_event_log_commands(CLI::App &app, const OutputOptions &output) {
    app.add_subcommand("sel", "the system event log, every record from record ID 0 on")->callback([&output] {
        list_event_log(output);
    });
}

}  // namespace mgx::tool
