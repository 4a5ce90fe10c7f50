#include "popup.h"

#include <wtsapi32.h>

#include <cstring>

namespace mgx::popup {

namespace {

constexpr DWORD services_session = 0;
constexpr DWORD no_console_session = 0xFFFFFFFF;

DWORD session_of_this_process() {
    DWORD session = services_session;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : services_session;
}

void message_box(const char *text) {
    constexpr WORD english_neutral = 9;
    MessageBoxExA(nullptr, text, caption, box_style, english_neutral);
}

bool send_to_session(const char *text, DWORD session) {
    DWORD response = 0;
    return WTSSendMessageA(WTS_CURRENT_SERVER_HANDLE, session, const_cast<char *>(caption),
                           static_cast<DWORD>(std::strlen(caption)), const_cast<char *>(text),
                           static_cast<DWORD>(std::strlen(text)), console_style, console_wait_seconds, &response, TRUE) != FALSE;
}

}  // namespace

PopupWays platform_ways() { return {&session_of_this_process, &message_box, &send_to_session, &WTSGetActiveConsoleSessionId}; }

void show_popup(const char *text, const PopupWays &ways) {
    if (ways.own_session() != services_session) {
        ways.show_box(text);
        return;
    }
    // A box in session 0 would wait for ever on a desktop nobody sees; without a console
    // session there is nobody to tell.
    const DWORD console = ways.console_session();
    if (console != no_console_session) ways.send_to_console(text, console);
}

}  // namespace mgx::popup
