// GK7T30MS.EXE run for real, headless: its box is found, read and closed like a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "popup.h"
#include "win32/unique_handle.h"

namespace {

using mgx::win32::UniqueHandle;

struct Started {
    UniqueHandle process, thread;
};

Started start_popup(const std::wstring &arguments) {
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::filesystem::path program = std::filesystem::path(own).parent_path() / "GK7T30MS.EXE";
    std::wstring command = L"\"" + program.wstring() + L"\"" + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return {};
    return {UniqueHandle(process.hProcess), UniqueHandle(process.hThread)};
}

// The box belongs to another process and appears when that process gets there; look for it
// for up to 10 s.
HWND find_box(DWORD process_id) {
    for (int i = 0; i < 200; ++i) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", "GK7T30SV"))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process_id) return window;
        }
        Sleep(50);
    }
    return nullptr;
}

DWORD exit_code_after(HANDLE process) {
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

TEST(MessagePopup, ShowsItsFirstArgumentUntilTheBoxIsClosed) {
    Started popup = start_popup(L" \"disk space low on C:\" second-argument");
    ASSERT_TRUE(popup.process);
    HWND box = find_box(GetProcessId(popup.process.get()));
    ASSERT_NE(box, nullptr) << "no message box appeared";
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ(text, "disk space low on C:") << "the first argument only";
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr) << "an OK button";
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(WaitForSingleObject(popup.process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "waits for the user";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(exit_code_after(popup.process.get()), 0u);
}

TEST(MessagePopup, WithoutArgumentShowsNothingAndEnds) {
    Started popup = start_popup(L"");
    ASSERT_TRUE(popup.process);
    EXPECT_EQ(exit_code_after(popup.process.get()), 0u);
    EXPECT_EQ(FindWindowA("#32770", "GK7T30SV"), nullptr);
}

// Where the text goes, by the session the program runs in and the sessions there are (the seam
// stands in for the platform: under Wine every process is in one session).
struct Delivered {
    std::string boxed;
    std::set<DWORD> sent_to;
};
Delivered delivered;
std::mutex delivering;
DWORD own_session = 0;
std::vector<mgx::popup::Session> sessions;

void deliver(const char *text, DWORD session) {
    const mgx::popup::PopupWays ways = {[] { return own_session; }, [](const char *shown) { delivered.boxed = shown; },
                                        [](const char *shown, DWORD to) {
                                            const std::lock_guard lock(delivering);
                                            EXPECT_STREQ(shown, "fan failed");
                                            delivered.sent_to.insert(to);
                                            return true;
                                        },
                                        [] { return sessions; }};
    delivered = {};
    own_session = session;
    mgx::popup::show_popup(text, ways);
}

TEST(MessagePopup, InTheServicesSessionTheTextGoesToEveryConnectedSession) {
    using mgx::popup::Session;
    const Session services{0, WTSDisconnected}, console{1, WTSActive}, left_console{1, WTSDisconnected}, remote{2, WTSActive},
        second_remote{3, WTSActive}, listener{65536, WTSListen};
    const struct {
        DWORD own;
        std::vector<Session> there;
        const char *boxed;
        std::set<DWORD> sent_to;
    } cases[] = {
        {1, {services, console}, "fan failed", {}},                      // a person's session: the box there
        {2, {services, console, remote}, "fan failed", {}},              // a remote desktop's: there too
        {0, {services, console, listener}, "", {1}},                     // started by the service: to the console
        {0, {services, left_console, remote}, "", {2}},                  // the console left, a remote desktop in use
        {0, {services, console, remote, second_remote}, "", {1, 2, 3}},  // everybody connected
        {0, {services, left_console, listener}, "", {}},                 // nobody: no box that would wait for ever
    };
    for (const auto &when : cases) {
        SCOPED_TRACE(std::to_string(when.own) + " with " + std::to_string(when.there.size()) + " sessions");
        sessions = when.there;
        deliver("fan failed", when.own);
        EXPECT_EQ(delivered.boxed, when.boxed);
        EXPECT_EQ(delivered.sent_to, when.sent_to);
    }
}

}  // namespace
