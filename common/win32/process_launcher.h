// Starting other programs. The program's full path goes to CreateProcess apart from the command
// line and stands quoted at its head, and every argument is quoted as programs split their
// command lines, so nothing is left for Windows to guess: an unquoted "C:\Program Files\X.EXE"
// would first run C:\Program.exe.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win32/unique_handle.h"

namespace mgx::win32 {

// One argument as the C runtime and CommandLineToArgvW read it back: as it stands when it holds
// no blank or quote, else quoted, with the backslashes before a quote doubled.
std::wstring quoted_argument(const std::wstring &argument);

class CommandLine {
public:
    explicit CommandLine(std::wstring program);
    // The program by its full path, but its command line begins with the bare file name: for a
    // program that searches its own command line for an option, which a folder's name must not
    // bring in.
    static CommandLine with_bare_name(std::wstring program);
    // A separate argument, quoted where it needs to be.
    CommandLine &argument(const std::wstring &argument);
    // Text appended as it stands, for a program that reads its own command line raw (the setup
    // program takes everything after "-f2" to the end of the line as its log path).
    CommandLine &verbatim(const std::wstring &text);
    const std::wstring &program() const { return program_; }
    const std::wstring &text() const { return text_; }

private:
    std::wstring program_, text_;
};

struct LaunchOptions {
    std::wstring working_directory;  // empty: the caller's
    bool hidden = false;             // the program's window hidden (SW_HIDE)
    // An inheritable handle the program writes its standard output and errors to; null: the
    // caller's. Set, the program inherits the caller's inheritable handles.
    HANDLE output = nullptr;
};

// A program run out of sight, as installation steps run theirs.
inline LaunchOptions hidden_window(std::wstring working_directory = {}) { return {std::move(working_directory), true}; }

struct StartedProgram {
    UniqueHandle process, thread;
    DWORD id = 0;
};

// The started program, or nullopt when it could not be started (GetLastError says why).
std::optional<StartedProgram> start_program(const CommandLine &command, const LaunchOptions &options = {});

// Runs the program and waits for it without a time limit: its exit code, or nullopt when it
// could not be started.
std::optional<DWORD> run_and_wait(const CommandLine &command, const LaunchOptions &options = {});

}  // namespace mgx::win32
