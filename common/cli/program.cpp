#include "cli/program.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "text/utf8.h"

namespace mgx::cli {

void prepare_program(CLI::App &app, OutputOptions &options) {
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.fallthrough();
    app.add_flag("--json", options.json, "print JSON for scripts");
}

namespace {

// The arguments as the user typed them, from the wide command line in UTF-8, last first (as
// CLI11 takes them): the narrow argv holds them in the ANSI code page, which loses every
// character it has none for.
std::vector<std::string> typed_arguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> arguments;
    for (int i = count - 1; wide && i >= 1; --i) arguments.push_back(text::utf8_of(std::wstring_view(wide.get()[i])));
    return arguments;
}

// The first word that is not an option, when the program has no command of that name: CLI11
// would only say that a command is required.
std::optional<std::string> unknown_command(const CLI::App &app, const std::vector<std::string> &last_first) {
    for (auto argument = last_first.rbegin(); argument != last_first.rend(); ++argument) {
        if (argument->starts_with("-")) continue;
        const auto named = app.get_subcommands([&](const CLI::App *command) { return command->check_name(*argument); });
        if (named.empty()) return *argument;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

int run_program(CLI::App &app) {
    try {
        std::vector<std::string> arguments = typed_arguments();
        if (const std::optional<std::string> word = unknown_command(app, arguments)) {
            std::fprintf(stderr, "%s: no command is called \"%s\" (see --help)\n", app.get_name().c_str(), word->c_str());
            return 109;  // CLI11's code for an argument it did not expect
        }
        app.parse(arguments);
    } catch (const CLI::ParseError &error) {
        return app.exit(error);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s: %s\n", app.get_name().c_str(), error.what());
        return 1;
    }
    return 0;
}

}  // namespace mgx::cli
