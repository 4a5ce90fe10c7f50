// The dialog base through real dialogs in this process: the exchange steps and their refusals,
// the keyboard rules, the texts and tool tips. A second thread plays the person.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <thread>

#include "data_exchange.h"
#include "settings_dialog.h"
#include "test_dialog_resource.h"
#include "window_driver.h"

namespace mgx::settings::testing {
namespace {

constexpr UiTextRow test_texts[] = {
    {0, {L"交換テスト", L"Exchange test"}, {L"", L""}},
    {IDOK, {L"決定", L"OK"}, {L"設定を保存します", L""}},
    {IDC_MINUTES, {L"%lu 分", L"%lu minutes"}, {L"分を入力", L""}},
};

class ExchangeTestDialog : public SettingsDialog {
public:
    explicit ExchangeTestDialog(LanguageIndex language = English, int ok_id = IDOK)
        : SettingsDialog(IDD_EXCHANGE_TEST, nullptr, ok_id, IDCANCEL, language) {}

    std::uint16_t minutes = 30;
    std::uint8_t retries = 2;
    std::int32_t hours = 7;
    char date[date_field_size] = "2001/04/01";
    std::int32_t choice = 1;
    bool on = false;
    std::int32_t box = 1;
    int hidden_calls = 0;
    int oks = 0;
    std::function<void(ExchangeTestDialog &)> after_init;

protected:
    void on_init() override {
        apply_title(test_texts);
        apply_ui_text(IDOK, test_texts);
        show_all();
        if (after_init) after_init(*this);
    }
    void on_ok() override {
        ++oks;
        SettingsDialog::on_ok();
    }
    void hidden_function() override { ++hidden_calls; }
    bool exchange(DataExchange &x) override {
        return x.number(IDC_MINUTES, minutes, 15, 999) && x.number(IDC_RETRIES, retries, 1, 5) &&
               x.number(IDC_HOURS, hours, 0, 99999) && x.date(IDC_DATE, date) && x.radio_index(IDC_CHOICE_FIRST, choice) &&
               x.enable_radio(IDC_ENABLE, on) && x.check_box(IDC_BOX, box);
    }

public:
    bool apply(int id, UiTable table, long number) { return apply_ui_text(id, table, number); }
};

// Runs the dialog on this thread while `person` acts on it from another; the dialog's result.
INT_PTR run_with(ExchangeTestDialog &dialog, const std::function<void(HWND)> &person) {
    std::thread acting([&] {
        HWND window = nullptr;
        eventually([&] {
            window = find_dialog(GetCurrentProcessId(), L"Exchange test");
            if (!window) window = find_dialog(GetCurrentProcessId(), L"交換テスト");
            return window != nullptr;
        });
        if (window) person(window);
    });
    const INT_PTR result = dialog.run();
    acting.join();
    return result;
}

// Presses OK and returns the refusal's text, caption and where the focus went afterwards.
struct Refusal {
    std::wstring text, caption;
    int focus_after = 0;
};

Refusal refused(HWND dialog) {
    click(dialog, IDOK);
    HWND box = wait_for_owned_dialog(dialog);
    if (!box) return {};
    Refusal refusal{message_text(box), text_of(box)};
    answer(box, IDOK);
    wait_until_gone(box);
    eventually([&] { return focused_id(dialog) != 0 && focused_id(dialog) != IDOK; });
    refusal.focus_after = focused_id(dialog);
    return refusal;
}

TEST(SettingsDialog, EveryRefusedFieldShowsItsMessageAndGetsTheFocusBack) {
    ExchangeTestDialog dialog;
    struct Case {
        int field;
        const wchar_t *typed;
        const wchar_t *message;
    };
    const Case cases[] = {
        {IDC_MINUTES, L"14", L"Enter 15 to 999."},    {IDC_MINUTES, L"1000", L"Enter 15 to 999."},
        {IDC_MINUTES, L"65551", L"Enter 15 to 999."}, {IDC_MINUTES, L"", L"Enter 15 to 999."},
        {IDC_RETRIES, L"0", L"Enter 1 to 5."},        {IDC_RETRIES, L"6", L"Enter 1 to 5."},
        {IDC_RETRIES, L"257", L"Enter 1 to 5."},      {IDC_HOURS, L"12a", L"Enter 0 to 99999."},
        {IDC_HOURS, L"", L"Enter 0 to 99999."},       {IDC_DATE, L"2000/13/45", L"Invalid Date."},
    };
    std::vector<Refusal> refusals;
    const INT_PTR result = run_with(dialog, [&](HWND window) {
        for (const Case &test : cases) {
            type_text(window, IDC_MINUTES, L"30");
            type_text(window, IDC_RETRIES, L"2");
            type_text(window, IDC_HOURS, L"7");
            type_text(window, IDC_DATE, L"2001/04/01");
            type_text(window, test.field, test.typed);
            refusals.push_back(refused(window));
        }
        press_key(window, VK_ESCAPE);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(refusals.size(), std::size(cases));
    for (std::size_t i = 0; i < refusals.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(refusals[i].text, cases[i].message);
        EXPECT_EQ(refusals[i].caption, L"Exchange test") << "the dialog's title is the caption";
        EXPECT_EQ(refusals[i].focus_after, cases[i].field);
    }
    EXPECT_EQ(dialog.minutes, 30) << "a refused take stores nothing after the refusal";
}

TEST(SettingsDialog, AcceptedTextsAreStoredAsTheRulesSay) {
    ExchangeTestDialog dialog;
    std::wstring date_shown;
    const INT_PTR result = run_with(dialog, [&](HWND window) {
        type_text(window, IDC_MINUTES, L"20abc");
        type_text(window, IDC_RETRIES, L"5");
        type_text(window, IDC_HOURS, L"00012");
        type_text(window, IDC_DATE, L"2000/2/3");
        SendMessageW(GetDlgItem(window, IDC_CHOICE_THIRD), BM_CLICK, 0, 0);
        SendMessageW(GetDlgItem(window, IDC_ENABLE), BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(GetDlgItem(window, IDC_DISABLE), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageW(GetDlgItem(window, IDC_BOX), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageW(GetDlgItem(window, IDOK), WM_SETFOCUS, 0, 0);
        click(window, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.minutes, 20);
    EXPECT_EQ(dialog.retries, 5);
    EXPECT_EQ(dialog.hours, 12);
    EXPECT_STREQ(dialog.date, "2000/02/03");
    EXPECT_EQ(dialog.choice, 2) << "radio buttons counted without the label between them";
    EXPECT_TRUE(dialog.on);
    EXPECT_EQ(dialog.box, 0);
}

TEST(SettingsDialog, ShowPutsTheMembersIntoTheControls) {
    ExchangeTestDialog dialog;
    std::wstring minutes, date;
    LRESULT second = 0, disable = 0, box = 0;
    run_with(dialog, [&](HWND window) {
        minutes = item_text(window, IDC_MINUTES);
        date = item_text(window, IDC_DATE);
        second = SendMessageW(GetDlgItem(window, IDC_CHOICE_SECOND), BM_GETCHECK, 0, 0);
        disable = SendMessageW(GetDlgItem(window, IDC_DISABLE), BM_GETCHECK, 0, 0);
        box = SendMessageW(GetDlgItem(window, IDC_BOX), BM_GETCHECK, 0, 0);
        press_key(window, VK_ESCAPE);
    });
    EXPECT_EQ(minutes, L"30");
    EXPECT_EQ(date, L"2001/04/01");
    EXPECT_EQ(second, BST_CHECKED) << "index 1";
    EXPECT_EQ(disable, BST_CHECKED) << "switched off";
    EXPECT_EQ(box, BST_CHECKED);
}

TEST(SettingsDialog, EnterMovesOnExceptOnOkAndCancelArrowsMoveEscapeCancels) {
    ExchangeTestDialog dialog;
    std::vector<int> focus;
    const INT_PTR result = run_with(dialog, [&](HWND window) {
        eventually([&] { return focused_id(window) == IDC_MINUTES; });
        focus.push_back(focused_id(window));
        press_key(window, VK_RETURN);
        eventually([&] { return focused_id(window) == IDC_RETRIES; });
        focus.push_back(focused_id(window));
        press_key(window, VK_DOWN);
        eventually([&] { return focused_id(window) == IDC_HOURS; });
        focus.push_back(focused_id(window));
        press_key(window, VK_UP);
        eventually([&] { return focused_id(window) == IDC_RETRIES; });
        focus.push_back(focused_id(window));
        SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, IDOK)), TRUE);
        eventually([&] { return focused_id(window) == IDOK; });
        press_key(window, VK_RETURN);
    });
    EXPECT_EQ(focus, (std::vector<int>{IDC_MINUTES, IDC_RETRIES, IDC_HOURS, IDC_RETRIES}));
    EXPECT_EQ(result, IDOK) << "Enter on OK runs the OK action";
    EXPECT_EQ(dialog.oks, 1);

    ExchangeTestDialog cancelled;
    EXPECT_EQ(run_with(cancelled,
                       [](HWND window) {
                           SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, IDCANCEL)), TRUE);
                           eventually([&] { return focused_id(window) == IDCANCEL; });
                           press_key(window, VK_RETURN);
                       }),
              IDCANCEL)
        << "Enter on Cancel cancels";
}

// A press and release of the mouse's left button on a control, as the person's mouse sends them.
void mouse_click(HWND dialog, int control_id) {
    HWND control = GetDlgItem(dialog, control_id);
    RECT area;
    GetClientRect(control, &area);
    const LPARAM middle = MAKELPARAM(area.right / 2, area.bottom / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(control, WM_LBUTTONUP, 0, middle);
}

// A mouse click on the dialog's OK button runs its OK action whatever the button's id, as Enter
// on it does; a click on cancel cancels.
TEST(SettingsDialog, AMouseClickOnTheOkIdRunsTheOkAction) {
    for (const int ok_id : {IDOK, IDC_ENABLE}) {
        SCOPED_TRACE(ok_id);
        ExchangeTestDialog dialog(English, ok_id);
        EXPECT_EQ(run_with(dialog, [&](HWND window) { mouse_click(window, ok_id); }), IDOK);
        EXPECT_EQ(dialog.oks, 1);
    }
    ExchangeTestDialog cancelled;
    EXPECT_EQ(run_with(cancelled, [](HWND window) { mouse_click(window, IDCANCEL); }), IDCANCEL);
    EXPECT_EQ(cancelled.oks, 0);
}

// F1 counts only with Shift, Ctrl and Alt held, read from the whole keyboard state.
TEST(SettingsDialog, HiddenFunctionNeedsAllThreeModifiers) {
    const auto calls_with = [](std::initializer_list<int> held) {
        BYTE keys[256] = {};
        for (int key : held) keys[key] = 0x80;
        SetKeyboardState(keys);
        ExchangeTestDialog dialog;
        run_with(dialog, [](HWND window) {
            press_key(window, VK_F1);
            PostMessageW(GetDlgItem(window, IDC_MINUTES), WM_SYSKEYDOWN, VK_F1, 0);
            press_key(window, VK_ESCAPE);
        });
        BYTE none[256] = {};
        SetKeyboardState(none);
        return dialog.hidden_calls;
    };
    EXPECT_EQ(calls_with({}), 0) << "F1 alone";
    EXPECT_EQ(calls_with({VK_SHIFT, VK_LSHIFT, VK_CONTROL, VK_LCONTROL}), 0) << "two of three";
    EXPECT_EQ(calls_with({VK_RSHIFT, VK_LCONTROL, VK_RMENU}), 2) << "left or right of each, as key down or system key down";
}

TEST(SettingsDialog, TextsAndTipsComeFromTheTableInTheLanguage) {
    ExchangeTestDialog dialog(Japanese);
    std::wstring ok_caption, ok_tip, minutes_caption;
    bool unknown_applied = true;
    dialog.after_init = [&](ExchangeTestDialog &self) {
        unknown_applied = self.apply(9999, test_texts, -1);
        self.apply(IDC_MINUTES, test_texts, 45);
    };
    run_with(dialog, [&](HWND window) {
        ok_caption = item_text(window, IDOK);
        minutes_caption = item_text(window, IDC_MINUTES);
        HWND tips = nullptr;
        eventually([&] {
            tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
            while (tips && GetWindow(tips, GW_OWNER) != window) tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
            return tips != nullptr;
        });
        wchar_t text[256] = {};
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = window;
        tool.uFlags = TTF_IDISHWND;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, IDOK));
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        ok_tip = text;
        press_key(window, VK_ESCAPE);
    });
    EXPECT_EQ(ok_caption, L"決定");
    EXPECT_EQ(ok_tip, L"設定を保存します");
    EXPECT_EQ(minutes_caption, L"45 分") << "the caption's number";
    EXPECT_FALSE(unknown_applied) << "an id not in the table changes nothing";
}

}  // namespace
}  // namespace mgx::settings::testing
