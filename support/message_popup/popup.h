// What GK7T30MS does with its text: one box captioned "GK7T30SV" where a person sees it. Started
// in a person's session it shows a service-notification box there and waits until it is
// closed. Started by the monitoring service in session 0, where no person sees a desktop, it
// hands the text to the active console session instead, and waits at most an hour for it to
// be answered.
#pragma once

#include <windows.h>

namespace mgx::popup {

inline constexpr const char *caption = "GK7T30SV";
inline constexpr UINT box_style = MB_OK | MB_ICONEXCLAMATION | MB_SERVICE_NOTIFICATION;  // 0x00200030
inline constexpr UINT console_style = MB_OK | MB_ICONEXCLAMATION;
inline constexpr DWORD console_wait_seconds = 3600;

// The platform's side, replaceable for tests.
struct PopupWays {
    DWORD (*own_session)();                                    // the session this process runs in
    void (*show_box)(const char *text);                        // MessageBoxExA with box_style, English buttons
    bool (*send_to_console)(const char *text, DWORD session);  // WTSSendMessageA with console_style
    DWORD (*console_session)();                                // the active console session, 0xFFFFFFFF for none
};

PopupWays platform_ways();

void show_popup(const char *text, const PopupWays &ways = platform_ways());

}  // namespace mgx::popup
