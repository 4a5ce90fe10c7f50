// The launcher against real programs: a copy of argument_echo in a folder whose name has a
// space, with another copy planted where an unquoted path would lead Windows first.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "win32/process_launcher.h"

namespace mgx::win32 {
namespace {

namespace fs = std::filesystem;

fs::path beside_this_program(const wchar_t *file) {
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    return fs::path(own).parent_path() / file;
}

std::vector<std::wstring> echoed(const fs::path &program) {
    std::ifstream file(fs::path(program.wstring() + L".out"), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    const std::string raw = bytes.str();
    std::wstring text(raw.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), raw.data(), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> arguments;
    for (std::size_t start = 0, end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1)
        arguments.push_back(text.substr(start, end - start));
    return arguments;
}

class ProcessLauncher : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("launcher-" + std::to_string(GetCurrentProcessId()));
        planted = root / "Program.exe";
        program = root / "Program Folder" / "echo.exe";
        fs::remove_all(root);
        fs::create_directories(root / "Program Folder");
        fs::copy_file(beside_this_program(L"argument_echo.exe"), planted);
        fs::copy_file(beside_this_program(L"argument_echo.exe"), program);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root, planted, program;
};

TEST_F(ProcessLauncher, EveryArgumentArrivesWholeAndThePlantedProgramNeverRuns) {
    const std::vector<std::wstring> arguments = {
        L"-remove",  L"",   L"two words",      L"say \"hi\"", L"C:\\Program Files\\Uptiva\\", L"\\\\server\\share\\",
        L"a\\\\\"b", L"\t", L"日本語 フォルダ"};
    CommandLine command(program.wstring());
    for (const std::wstring &argument : arguments) command.argument(argument);
    EXPECT_EQ(run_and_wait(command, hidden_window(root.wstring())), arguments.size());
    EXPECT_EQ(echoed(program), arguments);
    EXPECT_FALSE(fs::exists(planted.wstring() + L".out")) << "the planted program ran";
}

TEST_F(ProcessLauncher, VerbatimTextStandsAsGivenAndAMissingProgramIsNotStarted) {
    EXPECT_EQ(run_and_wait(CommandLine(program.wstring()).verbatim(L"-f2C:\\log dir\\setup.log")), 2u);
    EXPECT_EQ(echoed(program), (std::vector<std::wstring>{L"-f2C:\\log", L"dir\\setup.log"}));

    EXPECT_FALSE(run_and_wait(CommandLine((root / "Program Folder" / "missing.exe").wstring())));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(planted.wstring() + L".out"));
}

}  // namespace
}  // namespace mgx::win32
