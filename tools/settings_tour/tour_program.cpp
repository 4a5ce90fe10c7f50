#include <cstdio>
#include <iostream>

#include "control_client.h"
#include "tour.h"
#include "unit_arrangements.h"
#include "window_driver.h"

namespace mgx::tour {

using namespace settings::testing;

Program start_program(const std::wstring &install_folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + install_folder + L"\\GK7T30UI.EXE\"";
    Program program;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, install_folder.c_str(), &startup, &info)) {
        program.process.reset(info.hProcess);
        CloseHandle(info.hThread);
        program.id = info.dwProcessId;
    }
    return program;
}

void picture(const char *name, HWND window) {
    if (!window) {
        std::printf("missing %s\n", name);
        std::fflush(stdout);
        return;
    }
    // Everything painted before the picture: a full repaint, then a round trip through the
    // window's thread so the painting has reached the display.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_ERASE);
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    GdiFlush();
    RECT place;
    GetWindowRect(window, &place);
    std::printf("ready %s %ld %ld %ld %ld\n", name, place.left, place.top, place.right - place.left, place.bottom - place.top);
    std::fflush(stdout);
    std::string taken;
    std::getline(std::cin, taken);
}

HWND box_of(const Program &program) { return wait_for_dialog(program.id, L"GK7T30UI", 30'000); }

void dismiss(HWND box, int button) {
    answer(box, button);
    wait_until_gone(box);
}

void refuse(int command) { testbed::refuse_unit_command(command); }

void clear_faults() { testbed::control_request(testbed::control::clear_faults); }

}  // namespace mgx::tour
