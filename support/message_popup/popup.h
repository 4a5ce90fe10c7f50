// What GK7T30MS does with its text: one box captioned "GK7T30SV" where a person sees it. Started
// in a person's session it shows a service-notification box there and waits until it is
// closed. Started by the monitoring service in session 0, where no person sees a desktop, it
// hands the text to every session where somebody is logged on and connected (the console, a
// remote desktop), and ends when each box is answered, or after an hour at the latest.
#pragma once

#include <windows.h>

#include <wtsapi32.h>

#include <vector>

namespace mgx::popup {

inline constexpr const char *caption = "GK7T30SV";
inline constexpr UINT box_style = MB_OK | MB_ICONEXCLAMATION | MB_SERVICE_NOTIFICATION;  // 0x00200030
inline constexpr UINT session_style = MB_OK | MB_ICONEXCLAMATION;
inline constexpr DWORD session_wait_seconds = 3600;

struct Session {
    DWORD id;
    WTS_CONNECTSTATE_CLASS state;
};

// The platform's side, replaceable for tests.
struct PopupWays {
    DWORD (*own_session)();                                    // the session this process runs in
    void (*show_box)(const char *text);                        // MessageBoxExA with box_style, English buttons
    bool (*send_to_session)(const char *text, DWORD session);  // WTSSendMessageA with session_style, waiting
    std::vector<Session> (*sessions)();                        // WTSEnumerateSessionsA: every session and its state
};

PopupWays platform_ways();

void show_popup(const char *text, const PopupWays &ways = platform_ways());

}  // namespace mgx::popup
