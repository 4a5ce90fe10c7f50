#include "metrics_command.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cli/input_parsing.h"
#include "halcore_session.h"
#include "metrics_collectors.h"
#include "replaced_file.h"
#include "text/utf8.h"

namespace mgx::tool {

using namespace mgx::cli;

namespace {

struct MetricsOptions {
    std::string output;
    int timeout_seconds = 50;
};

// Writes the text into a temporary file beside `path` and renames it over `path`, so a
// collector never reads half a file; the old file stays as it was when anything fails.
void write_atomically(const std::string &path, const std::string &contents) {
    const std::filesystem::path target = text::path_of(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    if (!std::filesystem::is_directory(folder)) throw CommandFailed("the folder " + text::utf8_of(folder) + " does not exist");
    if (const DWORD error = replace_file(target, contents))
        throw CommandFailed("cannot replace " + path + " (error " + std::to_string(error) + ")");
}

// Writes the exposition where the options say: standard output, or the file.
void write_out(const MetricsOptions &options, const std::string &exposition) {
    if (options.output.empty()) {
        _setmode(_fileno(stdout), _O_BINARY);  // the format's lines end in a line feed alone
        std::fwrite(exposition.data(), 1, exposition.size(), stdout);
        std::fflush(stdout);
    } else {
        write_atomically(options.output, exposition);
    }
}

// The end of a run whose thread is still inside the library, perhaps holding the bus: the
// process ends here, without the library's shut-down, which could wait on that very thread. The
// driver expires the bus lock; the ending releases the machine-wide mutex.
[[noreturn]] void end_out_of_time(const MetricsOptions &options, const std::string &exposition) {
    UINT exit_code = 0;
    try {
        write_out(options, exposition);
        std::fprintf(stderr, "mgxtool: the time budget ran out; what was not read is NaN\n");
    } catch (const std::exception &error) {
        std::fprintf(stderr, "mgxtool: %s\n", error.what());
        exit_code = 1;
    }
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), exit_code);
    std::abort();  // not reached
}

}  // namespace

void add_metrics_command(CLI::App &app, const OutputOptions &) {
    auto options = std::make_shared<MetricsOptions>();
    CLI::App *command = app.add_subcommand("metrics", "the unit's readings and settings for Prometheus (text exposition format)");
    command->add_option("--output", options->output, "write them to this file (through a temporary one beside it)");
    add_number(command, "--timeout", options->timeout_seconds, "seconds the run may take; what is left unread is NaN", 1, 3600);
    command->callback([options] {
        const Budget budget(options->timeout_seconds);
        // Resolved now: loading the event log library moves the process's working folder for a while.
        if (!options->output.empty()) options->output = text::utf8_of(std::filesystem::absolute(text::path_of(options->output)));
        auto out = std::make_shared<CollectedMetrics>();
        collect_wear_parts(*out);  // the product key, read before the unit can hold the run up
        // The unit's sources are asked on a thread of their own, so that nothing the unit or the
        // library does (a slow start, a reading that hangs, a long wait for the bus) keeps the run
        // past its budget. The thread owns what it uses (the collection shared, the budget
        // copied), so a thread still asking when the time is up touches nothing that is gone.
        // The event log's tally is kept beside the output file, where the exporter reads only *.prom.
        std::optional<std::filesystem::path> tally;
        if (!options->output.empty()) tally = text::path_of(options->output + ".sel-tally");
        // The event log needs no lock: a unit refused (its mutex planted by another account) still
        // leaves it to be read, and the failure is the run's after the file is written.
        std::packaged_task<void()> ask_the_unit([out, budget, tally] {
            std::exception_ptr unit_failure;
            try {
                collect_from_unit(*out, budget);
            } catch (...) {
                unit_failure = std::current_exception();
            }
            collect_event_log(*out, budget, tally);
            if (unit_failure) std::rethrow_exception(unit_failure);
        });
        std::future<void> asked = ask_the_unit.get_future();
        std::thread(std::move(ask_the_unit)).detach();
        const bool in_time = asked.wait_for(std::chrono::milliseconds(budget.left_ms())) == std::future_status::ready;
        const std::string exposition =
            out->close({unit_collector, sensors_collector, fru_collector, sel_collector, wear_parts_collector}, write_not_read);
        if (!in_time) end_out_of_time(*options, exposition);
        // What was not read is NaN with its source down, also when the unit was refused: an old
        // file saying up must not stay behind. The thread's failure is then the run's.
        write_out(*options, exposition);
        asked.get();
    });
}

}  // namespace mgx::tool
