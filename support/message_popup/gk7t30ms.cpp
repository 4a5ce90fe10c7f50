// GK7T30MS.exe: shows its first argument in one message box captioned "GK7T30SV" and ends when
// the box is closed (popup.h: where the box goes). No argument: nothing is shown. Exit code 0
// always.
#include <windows.h>

#include <cstdlib>

#include "popup.h"
#include "win32/dll_search.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mgx::win32::restrict_dll_search();
    if (__argc > 1) mgx::popup::show_popup(__argv[1]);
    return 0;
}
