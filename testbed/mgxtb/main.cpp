// mgxtb: the testbed's own command-line program, which looks at and steers the virtual server
// through its control pipe (machine, unit, faults, exchange log, event log, repository, panel).
// It belongs to the testbed and is never part of the product's package.
#include <CLI/CLI.hpp>

#include "cli/program.h"
#include "testbed_commands.h"

int main() {
    CLI::App app("mgxtb: the virtual server that plays the hardware of the testbed", "mgxtb");
    mgx::cli::OutputOptions options;
    mgx::cli::prepare_program(app, options);
    mgx::testbed::add_testbed_commands(app, options);
    return mgx::cli::run_program(app);
}
