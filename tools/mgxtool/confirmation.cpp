#include "confirmation.h"

#include <windows.h>

#include <cwctype>

#include "text/utf8.h"

namespace mgx::tool {

namespace {

// The console's input, when the program reads from one.
HANDLE console_input() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) != FILE_TYPE_CHAR ||
        !GetConsoleMode(input, &mode))
        return nullptr;
    return input;
}

std::wstring read_console_line(HANDLE input) {
    std::wstring line;
    wchar_t buffer[256];
    DWORD read = 0;
    while (ReadConsoleW(input, buffer, 256, &read, nullptr) && read > 0) {
        line.append(buffer, read);
        if (line.find(L'\n') != std::wstring::npos || line.find(L'\r') != std::wstring::npos) break;
    }
    return line;
}

bool is_yes(const std::wstring &answer) {
    std::wstring word;
    for (wchar_t c : answer)
        if (!std::iswspace(c)) word += static_cast<wchar_t>(std::towlower(c));
    return word == L"y" || word == L"yes";
}

}  // namespace

CLI::Option *add_yes_flag(CLI::App *command, bool &yes) {
    return command->add_flag("--yes", yes, "answer the question beforehand (scripts, Ansible)");
}

bool confirmed(const OutputOptions &output, bool yes, const std::string &question, const std::string &action) {
    if (yes) return true;
    const HANDLE input = output.json ? nullptr : console_input();
    if (!input)
        throw CommandFailed(action + " asks first, and nobody can answer here (" +
                            (output.json ? std::string("--json") : std::string("no console")) +
                            "): nothing was done; give --yes to answer it beforehand");
    const std::wstring prompt = text::wide_of(question + " [y/N] ");
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (!WriteConsoleW(error, prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr)) {
        const std::string narrow = question + " [y/N] ";
        WriteFile(error, narrow.data(), static_cast<DWORD>(narrow.size()), &written, nullptr);
    }
    return is_yes(read_console_line(input));
}

}  // namespace mgx::tool
