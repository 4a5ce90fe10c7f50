#include "popup.h"

#include <cstring>
#include <thread>

namespace mgx::popup {

namespace {

constexpr DWORD services_session = 0;

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
                           static_cast<DWORD>(std::strlen(text)), session_style, session_wait_seconds, &response, TRUE) != FALSE;
}

std::vector<Session> sessions_of_this_server() {
    WTS_SESSION_INFOA *listed = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateSessionsA(WTS_CURRENT_SERVER_HANDLE, 0, 1, &listed, &count)) return {};
    std::vector<Session> sessions;
    for (DWORD i = 0; i < count; ++i) sessions.push_back({listed[i].SessionId, listed[i].State});
    WTSFreeMemory(listed);
    return sessions;
}

}  // namespace

PopupWays platform_ways() { return {&session_of_this_process, &message_box, &send_to_session, &sessions_of_this_server}; }

void show_popup(const char *text, const PopupWays &ways) {
    if (ways.own_session() != services_session) {
        ways.show_box(text);
        return;
    }
    // A box in session 0 would wait for ever on a desktop nobody sees. Each connected session
    // gets the text at once, its box waited on beside the others'; a disconnected session (a
    // console left while its user works over remote desktop) has nobody to see it.
    std::vector<std::thread> waits;
    for (const Session &session : ways.sessions())
        if (session.id != services_session && session.state == WTSActive)
            waits.emplace_back([&ways, text, id = session.id] { ways.send_to_session(text, id); });
    for (std::thread &wait : waits) wait.join();
}

}  // namespace mgx::popup
