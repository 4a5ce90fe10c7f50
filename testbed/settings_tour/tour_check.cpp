#include <cstdio>

#include "tour.h"
#include "window_driver.h"

namespace mgx::tour {

using namespace settings::testing;

namespace {

void print(const std::wstring &label, const std::wstring &text) {
    char bytes[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes - 1, nullptr, nullptr);
    std::printf("%-18ls %s\n", label.c_str(), bytes);
}

}  // namespace

int check(const std::wstring &install_folder, bool hold) {
    Program program = start_program(install_folder);
    HWND menu = nullptr, box = nullptr;
    eventually(
        [&] {
            menu = find_dialog(program.id, L"Main menu");
            if (!menu) menu = find_dialog(program.id, L"メインメニュー");
            box = find_dialog(program.id, L"GK7T30UI");
            return menu || box;
        },
        30'000);
    if (!menu) {
        if (box) {
            print(L"message", message_text(box));
            answer(box, IDOK);
        }
        std::printf("the main menu did not come up\n");
        WaitForSingleObject(program.process.get(), 10'000);
        return 1;
    }
    eventually([&] { return !item_text(menu, 1111).empty(); });
    print(L"window", text_of(menu));
    for (int id : {1003, 1001, 1002, 1004, 1125, 1}) print(L"button", item_text(menu, id));
    print(L"running hours", item_text(menu, 1111));
    if (hold) {
        std::printf("holding the main menu open until a line arrives\n");
        std::fflush(stdout);
        char line[16];
        std::fgets(line, sizeof line, stdin);
    }
    press_key(menu, VK_ESCAPE);
    const bool ended = WaitForSingleObject(program.process.get(), 10'000) == WAIT_OBJECT_0;
    std::printf("%s\n", ended ? "closed with Escape; the program ended" : "the program did not end");
    return ended ? 0 : 1;
}

}  // namespace mgx::tour
