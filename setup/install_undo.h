// Undoing what the setup program did, for the product's installer when it removes the product
// or rolls a failed installation back: the monitoring service's registration, the Start-menu
// shortcut in either language, the App Paths entries, the product key and the setup log.
// What it does not find is not there to undo. It needs none of the installed programs: an
// administrator or a virus scanner may have deleted them.
#pragma once

#include <windows.h>

#include <string>

namespace mgx::setup {

// `install_folder` ends with a backslash. `strings` is a module whose string table holds the
// shortcut's Japanese name (the setup program's, also built into the installer's action).
void undo_install_actions(const std::wstring &install_folder, HMODULE strings);

// More than one product with this upgrade code is installed: an upgrade is removing the
// version it replaces, and the new version keeps the setup program's work.
bool replaced_by_another_version(const wchar_t *upgrade_code);

}  // namespace mgx::setup
