#include <cstdio>
#include <iostream>

#include "control_client.h"
#include "tour.h"
#include "unit_arrangements.h"
#include "win32/process_launcher.h"
#include "window_driver.h"

namespace mgx::tour {

using namespace settings::testing;

Program start_program(const std::wstring &install_folder) {
    Program program;
    if (auto started = win32::start_program(win32::CommandLine(install_folder + L"\\GK7T30UI.EXE"), {install_folder, false})) {
        program.process = std::move(started->process);
        program.id = started->id;
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
    std::printf("ready %s %s\n", name, place_of(window).c_str());
    std::fflush(stdout);
    std::string taken;
    std::getline(std::cin, taken);
}

std::string place_of(HWND window) {
    RECT place{};
    GetWindowRect(window, &place);
    return std::to_string(place.left) + " " + std::to_string(place.top) + " " + std::to_string(place.right - place.left) + " " +
           std::to_string(place.bottom - place.top);
}

HWND box_of(const Program &program) { return wait_for_dialog(program.id, L"GK7T30UI", 30'000); }

void dismiss(HWND box, int button) {
    answer(box, button);
    wait_until_gone(box);
}

void refuse(int command) { testbed::refuse_unit_command(command); }

void clear_faults() { testbed::control_request(testbed::control::clear_faults); }

}  // namespace mgx::tour
