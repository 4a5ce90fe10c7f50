#include "programs.h"

#include <filesystem>

namespace mgx::testbed::testing {

namespace {

std::filesystem::path own_directory() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

}  // namespace

RunningProgram::RunningProgram(const std::wstring &command_line, const std::wstring &directory, Captured captured) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end, write_end;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
        start_error_ = GetLastError();
        return;
    }
    output_.reset(read_end);
    win32::UniqueHandle writer(write_end);
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = captured == Captured::OutputAndErrors ? write_end : GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring command = command_line;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
        start_error_ = GetLastError();
        return;
    }
    process_.reset(process.hProcess);
    CloseHandle(process.hThread);
    started_ = true;
}

RunningProgram::~RunningProgram() {
    if (!started_ || !process_) return;
    output_.reset();  // a program blocked writing to us sees a broken pipe
    if (WaitForSingleObject(process_.get(), 30'000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
}

std::filesystem::path beside_this_program(const std::filesystem::path &file) { return own_directory() / file; }

ProgramRun RunningProgram::finish() {
    ProgramRun run;
    run.start_error = start_error_;
    if (!started_) return run;
    run.output = std::move(received_);
    char buffer[4096];
    DWORD got;
    while (ReadFile(output_.get(), buffer, sizeof buffer, &got, nullptr) && got) run.output.append(buffer, got);
    WaitForSingleObject(process_.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    run.exit_code = static_cast<int>(code);
    started_ = false;
    return run;
}

bool RunningProgram::wait_for_output(const std::string &text, DWORD limit_ms) {
    const ULONGLONG started = GetTickCount64();
    while (received_.find(text) == std::string::npos) {
        DWORD available = 0;
        if (!started_ || !PeekNamedPipe(output_.get(), nullptr, 0, nullptr, &available, nullptr)) return false;
        if (available) {
            std::string chunk(available, '\0');
            DWORD got = 0;
            if (!ReadFile(output_.get(), chunk.data(), available, &got, nullptr)) return false;
            received_.append(chunk, 0, got);
        } else if (GetTickCount64() - started > limit_ms) {
            return false;
        } else {
            Sleep(50);  // polling the pipe, not waiting for an outcome
        }
    }
    return true;
}

ProgramRun run_program(const std::string &program, const std::string &arguments, Captured captured) {
    const std::wstring command =
        L"\"" + (own_directory() / program).wstring() + L"\" " + std::filesystem::path(arguments).wstring();
    return RunningProgram(command, {}, captured).finish();
}

nlohmann::json run_copy_named(const std::string &program, const std::string &name, const std::string &arguments,
                              const std::vector<std::string> &planted) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("program-copies-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path copy = folder / name;
    std::filesystem::copy_file(own_directory() / program, copy, std::filesystem::copy_options::overwrite_existing);
    // Halcore is part of the probes: the product's Bmc.dll lies beside the copy, as beside the
    // installed Halcore.dll.
    std::filesystem::copy_file(own_directory() / "Bmc.dll", folder / "Bmc.dll",
                               std::filesystem::copy_options::overwrite_existing);
    for (const std::string &decoy : planted)
        std::filesystem::copy_file(own_directory() / "OMRALogging.dll", folder / decoy,
                                   std::filesystem::copy_options::overwrite_existing);
    const std::wstring command = L"\"" + copy.wstring() + L"\" " + std::filesystem::path(arguments).wstring();
    const ProgramRun run = RunningProgram(command, own_directory().wstring()).finish();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return nlohmann::json::parse(run.output, nullptr, false);
}

int run_to_end(const std::string &command_line) {
    return RunningProgram(std::filesystem::path(command_line).wstring()).finish().exit_code;
}

}  // namespace mgx::testbed::testing
