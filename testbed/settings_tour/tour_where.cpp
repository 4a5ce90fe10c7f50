#include <cstdio>

#include "tour.h"
#include "window_driver.h"

namespace mgx::tour {

namespace {

// A visible dialog of any process with one of the titles ("Main menu|メインメニュー").
HWND visible_dialog(const std::wstring &titles) {
    for (std::size_t start = 0; start <= titles.size();) {
        const std::size_t end = std::min(titles.find(L'|', start), titles.size());
        HWND dialog = FindWindowW(L"#32770", titles.substr(start, end - start).c_str());
        if (dialog && IsWindowVisible(dialog)) return dialog;
        start = end + 1;
    }
    return nullptr;
}

}  // namespace

int where(const std::wstring &titles, int control_id) {
    HWND dialog = nullptr;
    settings::testing::eventually([&] { return (dialog = visible_dialog(titles)) != nullptr; });
    HWND window = dialog && control_id ? GetDlgItem(dialog, control_id) : dialog;
    if (!window) {
        std::printf("no window\n");
        return 1;
    }
    std::printf("%s\n", place_of(window).c_str());
    return 0;
}

}  // namespace mgx::tour
