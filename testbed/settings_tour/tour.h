// The settings program as the picture tour drives it: the program started from its install
// folder, and the pictures offered to the script that takes them.
#pragma once

#include <windows.h>

#include <string>

#include "win32/unique_handle.h"

namespace mgx::tour {

struct Program {
    win32::UniqueHandle process;
    DWORD id = 0;
};

// One tour: where the program is installed, its language ("Language": 0 Japanese, 1 English),
// and the running program with its main menu.
struct Tour {
    std::wstring install_folder;
    DWORD language = 0;
    Program program;
    HWND menu = nullptr;

    const wchar_t *in_language(const wchar_t *japanese, const wchar_t *english) const {
        return language == 0 ? japanese : english;
    }
};

// GK7T30UI.EXE from `install_folder`, started in it; no process when it cannot be started.
Program start_program(const std::wstring &install_folder);

// A window's place on the screen as the scripts read it: "X Y WIDTH HEIGHT".
std::string place_of(HWND window);

// Offers the window for its picture ("ready NAME X Y WIDTH HEIGHT") and waits for the line that
// says it was taken; "missing NAME" when there is no window.
void picture(const char *name, HWND window);

// The program's next message box.
HWND box_of(const Program &program);

// Answers a message box or dialog with `button` and waits until it is gone.
void dismiss(HWND box, int button);

// From now on every request with this unit command code is refused.
void refuse(int command);
void clear_faults();

// Each window of the program in turn, with the messages it can show (tour_windows.cpp).
void main_menu_and_memory_clear(Tour &tour);
void component_lifetime(Tour &tour);
void start_monitoring(Tour &tour);
void power_off_mode(Tour &tour);
void notify_method(Tour &tour);
void data_initialisation(Tour &tour);
void start_failure(Tour &tour);
void guard_refused(Tour &tour);

// Starts the program on the current machine, prints what its main menu shows (or the message it
// shows instead) and closes it: 0 when the main menu came up.
// With `hold` the main menu stays open until a line arrives on standard input.
int check(const std::wstring &install_folder, bool hold = false);

// The screen place of a control of a visible dialog of any process (tour_where.cpp).
int where(const std::wstring &titles, int control_id);

}  // namespace mgx::tour
