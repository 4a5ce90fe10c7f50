// A program that writes the arguments it was given, as CommandLineToArgvW splits its command
// line, into "<its own path>.out" (UTF-16, each argument ended by a NUL) and exits with their
// number. Tests start it, or plant a copy of it where a program must never run.
#include <windows.h>

#include <shellapi.h>

#include <string>

int main() {
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring written;
    for (int i = 1; i < count; ++i) written.append(arguments[i]).push_back(L'\0');
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    const HANDLE file = CreateFileW((std::wstring(own) + L".out").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(file, written.data(), static_cast<DWORD>(written.size() * sizeof(wchar_t)), &done, nullptr);
    CloseHandle(file);
    LocalFree(arguments);
    return count - 1;
}
