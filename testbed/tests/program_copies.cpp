#include "program_copies.h"

#include <windows.h>

#include <filesystem>

#include "win32/unique_handle.h"

namespace mgx::testbed::testing {

namespace {

std::filesystem::path own_directory() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

}  // namespace

nlohmann::json run_copy_named(const std::string &program, const std::string &name, const std::string &arguments) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("program-copies-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path copy = folder / name;
    std::filesystem::copy_file(own_directory() / program, copy, std::filesystem::copy_options::overwrite_existing);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end, write_end;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return nullptr;
    win32::UniqueHandle reader(read_end), writer(write_end);
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + copy.wstring() + L"\" " + std::filesystem::path(arguments).wstring();
    // The copy finds its libraries beside the test, in the current directory.
    const std::wstring directory = own_directory().wstring();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(), &startup, &process))
        return nullptr;
    win32::UniqueHandle process_handle(process.hProcess), thread_handle(process.hThread);
    writer.reset();
    std::string output;
    char buffer[4096];
    DWORD got;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got) output.append(buffer, got);
    WaitForSingleObject(process.hProcess, INFINITE);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return nlohmann::json::parse(output, nullptr, false);
}

int run_to_end(const std::string &command_line) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = command_line;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
    win32::UniqueHandle process_handle(process.hProcess), thread_handle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}

}  // namespace mgx::testbed::testing
