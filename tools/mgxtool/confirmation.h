// The question a command asks before it does what cannot be undone, as the settings program asks
// with a Yes/No box: --yes answers it beforehand; otherwise it is asked on the console, and where
// nobody can answer (no console, --json, a script or Ansible) the command is refused.
#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "output.h"

namespace mgx::tool {

// Adds --yes to the command.
CLI::Option *add_yes_flag(CLI::App *command, bool &yes);

// True when the person said yes (or gave --yes). Throws CommandFailed naming `action` when the
// question cannot be asked; false when the answer was anything but yes.
bool confirmed(const OutputOptions &output, bool yes, const std::string &question, const std::string &action);

}  // namespace mgx::tool
