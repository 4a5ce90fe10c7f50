// GK7T30UI.EXE: the settings program.
#include <windows.h>

#include <commctrl.h>

#include "settings_app.h"
#include "win32/dll_search.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mgx::win32::restrict_dll_search();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};  // the tool tips
    InitCommonControlsEx(&controls);
    mgx::settings::SettingsApp &app = mgx::settings::SettingsApp::instance();
    app.start();
    return app.exit();
}
