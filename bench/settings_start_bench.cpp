// The settings program's start against a bare dialog program's: from process start to the
// main menu shown with its running hours, against process start to the bare dialog shown with
// its text. Each start is measured from CreateProcess to the window's text appearing, polled
// every millisecond; the ratio of the medians is printed (target: at most 1.5).
//
//   settings_start_bench INSTALL_FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "win32/process_launcher.h"

namespace {

constexpr int runs = 9;

double now_seconds() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds until a window of the started process with `title` shows a non-empty control 1111.
double start_until_shown(const std::wstring &program, const std::wstring &folder, const wchar_t *title) {
    const double started = now_seconds();
    const auto running = mgx::win32::start_program(mgx::win32::CommandLine(program), {folder, false});
    if (!running) return -1;
    double shown = -1;
    while (now_seconds() - started < 30) {
        HWND window = FindWindowW(L"#32770", title);
        wchar_t text[128] = {};
        if (window && GetDlgItemTextW(window, 1111, text, 128) > 0) {
            shown = now_seconds() - started;
            PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        }
        Sleep(1);
    }
    if (WaitForSingleObject(running->process.get(), 10'000) != WAIT_OBJECT_0) TerminateProcess(running->process.get(), 1);
    return shown;
}

double median_of(const std::wstring &program, const std::wstring &folder, const wchar_t *title) {
    start_until_shown(program, folder, title);  // warms the file cache; not counted
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double time = start_until_shown(program, folder, title);
        if (time < 0) {
            std::fprintf(stderr, "bench: %ls did not show its window\n", program.c_str());
            std::exit(1);
        }
        times.push_back(time);
    }
    std::sort(times.begin(), times.end());
    return times[runs / 2];
}

std::wstring beside_this(const wchar_t *file) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring own(path);
    return own.substr(0, own.find_last_of(L'\\') + 1) + file;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_start_bench INSTALL_FOLDER\n");
        return 2;
    }
    const std::string folder_text = argv[1];
    const std::wstring folder(folder_text.begin(), folder_text.end());
    const double bare = median_of(beside_this(L"bare_dialog.exe"), folder, L"Bare dialog");
    const double settings = median_of(folder + L"\\GK7T30UI.EXE", folder, L"Main menu");
    std::printf("bare dialog shown                        %8.1f ms (median of %d)\n", bare * 1e3, runs);
    std::printf("settings program: main menu with hours   %8.1f ms (median of %d)\n", settings * 1e3, runs);
    std::printf("ratio                                    %8.2f (target <= 1.5)\n", settings / bare);
    return 0;
}
