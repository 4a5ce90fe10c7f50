// The baseline of the settings program's start: a bare Win32 program that shows one dialog from a
// resource template and nothing else.
#include <windows.h>

INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM) {
    if (message == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) EndDialog(window, LOWORD(w));
    if (message == WM_CLOSE) EndDialog(window, IDCANCEL);
    return message == WM_INITDIALOG;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, &procedure, 0));
}
