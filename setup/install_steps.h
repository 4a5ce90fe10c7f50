// The steps of the installation that touch the platform: directory chains and the Start-menu
// shortcut.
#pragma once

#include <windows.h>

#include <string>

namespace mgx::setup {

// Creates every directory of the chain up to the last backslash of `path` (183 counts as
// success); 0 or the first other error.
DWORD create_directory_chain(const std::string &path);

// The Start-menu shortcut to the settings program; failures are not reported.
void create_start_menu_shortcut(const std::string &program_directory, bool japanese_locale);

// Where that shortcut is: the common Start menu, the product's name (its Japanese form from the
// string table of `setup_program`, the setup program's module) and ".lnk".
std::string start_menu_shortcut(HMODULE setup_program, bool japanese_locale);

}  // namespace mgx::setup
