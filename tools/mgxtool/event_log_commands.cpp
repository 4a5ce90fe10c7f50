#include "event_log_commands.h"

#include <windows.h>

#include <cstring>
#include <sstream>

#include <halcore/halcore.h>

#include "halcore_session.h"
#include "sel_entry.h"
#include "win32/program_directory.h"
#include "text/hex.h"

namespace mgx::tool {

namespace {

constexpr std::int32_t no_such_record = 1;  // the library's answer past the end or for an empty log

// Halcore loads the library from the current directory: this program's own.
void change_to_own_directory() {
    SetCurrentDirectoryA(win32::program_directory().c_str());
}

void list_event_log(const OutputOptions &output) {
    change_to_own_directory();
    nlohmann::json records = nlohmann::json::array();
    std::ostringstream text;
    SelEntryRequest request{0, 0, {}};
    std::int32_t status = 0;
    for (int read = 0; read <= 0xFFFF; ++read) {
        status = HCXGetCompleteSELInfo(&request, nullptr);
        if (status != 0) break;
        const std::string bytes = text::to_hex(request.record);
        records.push_back({{"record_id", request.record[0] | request.record[1] << 8}, {"data", bytes}});
        text << "record " << (request.record[0] | request.record[1] << 8) << "  " << bytes << "\n";
        if (request.next_record_id == sel_last_record) break;
        request.record_id = request.next_record_id;
    }
    if (status == no_such_record && records.empty()) status = 0;  // an empty log
    if (records.empty() && status == 0) text << "the event log is empty\n";
    if (status != 0) text << "reading the event log failed with status " << status << "\n";
    report(output, {{"status", status}, {"records", records}}, text.str());
    if (status != 0) throw CommandFailed("reading the event log failed");
}

}  // namespace

void add_event_log_commands(CLI::App &app, const OutputOptions &output) {
    app.add_subcommand("sel", "the system event log, every record from record ID 0 on")->callback([&output] { list_event_log(output); });
}

}  // namespace mgx::tool
