#include "window_driver.h"

#include <vector>

namespace mgx::settings::testing {

namespace {

struct Search {
    DWORD process_id;
    const std::wstring *title;
    HWND found = nullptr;
};

BOOL CALLBACK match(HWND window, LPARAM parameter) {
    auto &search = *reinterpret_cast<Search *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (owner == search.process_id && IsWindowVisible(window) && std::wstring(class_name) == L"#32770" &&
        text_of(window) == *search.title) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool eventually(const std::function<bool()> &done, DWORD limit_ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms) return false;
        Sleep(10);
    }
    return true;
}

HWND find_dialog(DWORD process_id, const std::wstring &title) {
    Search search{process_id, &title};
    EnumWindows(&match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_for_dialog(DWORD process_id, const std::wstring &title, DWORD limit_ms) {
    HWND found = nullptr;
    eventually([&] { return (found = find_dialog(process_id, title)) != nullptr; }, limit_ms);
    return found;
}

HWND wait_for_owned_dialog(HWND owner, DWORD limit_ms) {
    struct Owned {
        HWND owner;
        HWND found = nullptr;
    } search{owner};
    const auto find = [](HWND window, LPARAM parameter) -> BOOL {
        auto &wanted = *reinterpret_cast<Owned *>(parameter);
        wchar_t class_name[16] = {};
        GetClassNameW(window, class_name, 16);
        if (GetWindow(window, GW_OWNER) == wanted.owner && IsWindowVisible(window) && std::wstring(class_name) == L"#32770") {
            wanted.found = window;
            return FALSE;
        }
        return TRUE;
    };
    eventually([&] { return EnumWindows(find, reinterpret_cast<LPARAM>(&search)), search.found != nullptr; }, limit_ms);
    return search.found;
}

bool wait_until_gone(HWND window, DWORD limit_ms) {
    return eventually([window] { return !IsWindow(window) || !IsWindowVisible(window); }, limit_ms);
}

std::wstring text_of(HWND window) {
    wchar_t text[2048] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::wstring item_text(HWND dialog, int control_id) { return text_of(GetDlgItem(dialog, control_id)); }

std::wstring message_text(HWND box) { return item_text(box, 0xFFFF); }

std::wstring answered(HWND box, int button) {
    if (!box) return L"(no message box)";
    const std::wstring text = message_text(box);
    answer(box, button);
    return wait_until_gone(box) ? text : text + L" (still shown)";
}

void PrintTo(const MessageBoxLook &look, std::ostream *out) {
    *out << "buttons";
    for (int button : look.buttons) *out << " " << button;
    *out << (look.icon ? ", an icon" : ", no icon");
}

MessageBoxLook look_of(HWND box) {
    MessageBoxLook look;
    for (int button : {IDOK, IDCANCEL, IDYES, IDNO})
        if (GetDlgItem(box, button)) look.buttons.push_back(button);
    EnumChildWindows(
        box,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t kind[16] = {};
            GetClassNameW(child, kind, 16);
            const bool icon = lstrcmpiW(kind, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                              SendMessageW(child, STM_GETICON, 0, 0) != 0;
            if (icon) *reinterpret_cast<bool *>(found) = true;
            return icon ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&look.icon));
    return look;
}

int focused_id(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) || !info.hwndFocus) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void press_key(HWND dialog, WPARAM key) {
    // The key goes where the keyboard focus is once it is inside the dialog: right after a
    // message box closes, the focus may still be on the box's button for a while.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const auto focus_elsewhere = [&] {
        return GetGUIThreadInfo(thread, &info) && info.hwndFocus && info.hwndFocus != dialog &&
               !IsChild(dialog, info.hwndFocus) && IsWindow(info.hwndFocus);
    };
    eventually([&] { return !focus_elsewhere(); }, default_wait_ms);
    HWND target = info.hwndFocus && !focus_elsewhere() ? info.hwndFocus : dialog;
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

bool press_chord(HWND window, std::initializer_list<WORD> keys) {
    SetForegroundWindow(window);
    std::vector<INPUT> inputs(keys.size() * 2);
    std::size_t down = 0, up = inputs.size();
    for (WORD key : keys) {
        inputs[down].type = inputs[up - 1].type = INPUT_KEYBOARD;
        inputs[down++].ki.wVk = inputs[--up].ki.wVk = key;
        inputs[up].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

void click(HWND dialog, int control_id) { PostMessageW(GetDlgItem(dialog, control_id), BM_CLICK, 0, 0); }

void answer(HWND box, int button) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

void type_text(HWND dialog, int control_id, const std::wstring &text) {
    SendMessageTimeoutW(GetDlgItem(dialog, control_id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        5000, nullptr);
}

}  // namespace mgx::settings::testing
