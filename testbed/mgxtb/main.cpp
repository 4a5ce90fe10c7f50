// mgxtb: the testbed's own command-line program, which looks at and steers the virtual server
// through its control pipe (machine, unit, faults, exchange log, event log, repository, panel).
// It belongs to the testbed and is never part of the product's package.
#include <cstdio>

#include <CLI/CLI.hpp>

#include "cli/report.h"
#include "testbed_commands.h"

int main(int argc, char **argv) {
    CLI::App app("mgxtb: the virtual server that plays the hardware of the testbed", "mgxtb");
    // A Linux path such as /tmp/dump.sdr is an argument, not a Windows-style option.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.fallthrough();
    mgx::cli::OutputOptions options;
    app.add_flag("--json", options.json, "print JSON for scripts");
    mgx::testbed::add_testbed_commands(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        return app.exit(error);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "mgxtb: %s\n", error.what());
        return 1;
    }
    return 0;
}
