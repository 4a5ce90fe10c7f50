// Running other programs from a test: the system's own, and copies of a test program under
// another file name, for behaviour that depends on the program's name.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "win32/unique_handle.h"

namespace mgx::testbed::testing {

struct ProgramRun {
    int exit_code = -1;     // -1 when the program could not be started
    std::string output;     // what it wrote to its standard output
    DWORD start_error = 0;  // why it could not be started
};

// Which of a program's streams are captured: its standard output, or that and its errors.
enum class Captured { Output, OutputAndErrors };

// A program started with its standard output captured; several can run at once.
class RunningProgram {
public:
    // `directory` empty: the test's own current directory.
    explicit RunningProgram(const std::wstring &command_line, const std::wstring &directory = {},
                            Captured captured = Captured::Output);
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;
    // A program not finished (a test that stopped early) is waited for, so it cannot act into
    // the next test; one that does not end is ended.
    ~RunningProgram();
    // Reads the output to its end, waits for the program and returns both.
    ProgramRun finish();
    // The program has not ended yet.
    bool running() const { return started_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    // Reads what the program writes until `text` has appeared (true) or `limit_ms` ran out.
    bool wait_for_output(const std::string &text, DWORD limit_ms = 60'000);

private:
    std::string received_;  // read by wait_for_output, handed on by finish
    win32::UniqueHandle process_, output_;
    bool started_ = false;
    DWORD start_error_ = 0;
};

// A file of the build beside this test.
std::filesystem::path beside_this_program(const std::filesystem::path &file);

// A program of the build beside this test, run to its end.
ProgramRun run_program(const std::string &program, const std::string &arguments, Captured captured = Captured::Output);

// Copies `program` (beside this test) to a temporary folder as `name`, with the bmc library
// beside it, runs it with `arguments` in this test's folder (where the product's libraries are)
// and returns what it printed, parsed as JSON (null when it printed no JSON). Each of `planted` is put beside the copy as a
// decoy: a library of that name without the entries the real one has.
nlohmann::json run_copy_named(const std::string &program, const std::string &name, const std::string &arguments = "",
                              const std::vector<std::string> &planted = {});

// Runs a command line to its end; its exit code, or -1 when it could not be started.
int run_to_end(const std::string &command_line);

}  // namespace mgx::testbed::testing
