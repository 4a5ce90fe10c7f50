// GK7T30MS.exe: shows its first argument in one message box captioned "GK7T30SV" and ends when
// the box is closed. No argument: nothing is shown. Exit code 0 always.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    constexpr UINT style = MB_OK | MB_ICONEXCLAMATION | MB_SERVICE_NOTIFICATION;  // 0x00200030
    constexpr WORD english_neutral = 9;
    if (__argc > 1) MessageBoxExA(nullptr, __argv[1], "GK7T30SV", style, english_neutral);
    return 0;
}
