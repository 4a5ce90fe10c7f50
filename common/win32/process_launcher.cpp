#include "win32/process_launcher.h"

namespace mgx::win32 {

std::wstring quoted_argument(const std::wstring &argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t character : argument) {
        if (character == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: there each stands doubled, and the quote escaped.
        quoted.append(character == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += character;
    }
    quoted.append(backslashes * 2, L'\\');  // before the closing quote
    return quoted + L"\"";
}

CommandLine::CommandLine(std::wstring program) : program_(std::move(program)), text_(L"\"" + program_ + L"\"") {}

CommandLine CommandLine::with_bare_name(std::wstring program) {
    CommandLine command(std::move(program));
    const std::size_t slash = command.program_.find_last_of(L"\\/");
    command.text_ = slash == std::wstring::npos ? command.program_ : command.program_.substr(slash + 1);
    return command;
}

CommandLine &CommandLine::argument(const std::wstring &argument) { return verbatim(quoted_argument(argument)); }

CommandLine &CommandLine::verbatim(const std::wstring &text) {
    text_ += L" " + text;
    return *this;
}

std::optional<StartedProgram> start_program(const CommandLine &command, const LaunchOptions &options) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (options.hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    if (options.output) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = startup.hStdError = options.output;
    }
    PROCESS_INFORMATION process{};
    std::wstring text = command.text();  // CreateProcessW may write into its command line
    if (!CreateProcessW(command.program().c_str(), text.data(), nullptr, nullptr, options.output != nullptr,
                        NORMAL_PRIORITY_CLASS, nullptr,
                        options.working_directory.empty() ? nullptr : options.working_directory.c_str(), &startup, &process))
        return std::nullopt;
    return StartedProgram{UniqueHandle(process.hProcess), UniqueHandle(process.hThread), process.dwProcessId};
}

std::optional<DWORD> run_and_wait(const CommandLine &command, const LaunchOptions &options) {
    const std::optional<StartedProgram> started = start_program(command, options);
    if (!started) return std::nullopt;
    // A wait or an exit code that cannot be had is no result, never a made-up 0.
    if (WaitForSingleObject(started->process.get(), INFINITE) != WAIT_OBJECT_0) return std::nullopt;
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(started->process.get(), &exit_code)) return std::nullopt;
    return exit_code;
}

}  // namespace mgx::win32
