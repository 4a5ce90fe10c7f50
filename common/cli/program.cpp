#include "cli/program.h"

#include <cstdio>
#include <exception>

namespace mgx::cli {

void prepare_program(CLI::App &app, OutputOptions &options) {
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.fallthrough();
    app.add_flag("--json", options.json, "print JSON for scripts");
}

int run_program(CLI::App &app, int argc, char **argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &error) {
        return app.exit(error);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s: %s\n", app.get_name().c_str(), error.what());
        return 1;
    }
    return 0;
}

}  // namespace mgx::cli
