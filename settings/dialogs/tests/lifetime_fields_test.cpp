// The lifetime fields in the real component lifetime dialog, in this process: the colours they
// answer the platform's colour request with, and the focus rules of their two buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include <halcore/halcore.h>

#include "component_lifetime_dialog.h"
#include "control_client.h"
#include "registry_defaults.h"
#include "value_checks.h"
#include "window_driver.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::settings::testing {
namespace {

constexpr COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);

// The text colour and the brush a field's colour request answers with (the platform's own when
// the field leaves the request to it).
struct Colour {
    COLORREF text;
    bool field_brush;  // one of the field's own: not the platform's window brush
};

Colour colour_of(HWND dialog, int id) {
    HDC context = CreateCompatibleDC(nullptr);
    const LRESULT brush = SendMessageW(dialog, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(context),
                                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    const Colour colour{GetTextColor(context), reinterpret_cast<HBRUSH>(brush) != GetSysColorBrush(COLOR_WINDOW)};
    DeleteDC(context);
    return colour;
}

// The local date `days` days ago, as the fields show dates.
std::wstring days_ago(int days) {
    const std::string date = format_date(local_now() - days);
    return std::wstring(date.begin(), date.end());
}

void focus(HWND dialog, int id) { SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE); }
bool visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

class LifetimeFields : public ::testing::Test {
protected:
    void SetUp() override {
        testbed::control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
        ASSERT_EQ(HCXInitImbSmbDll(&state), 0);
        store::WriteRegistryDefaults(store::defaults_for(store::Writer::SettingsProgram, "C:\\Elsewhere\\"));
        const DWORD three = 3, at_limit = 26000, below = 25999;
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, store::setup_date_key, "RAIDCount", REG_DWORD, &three, sizeof three);
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, store::setup_date_key, "RAID01", REG_SZ, "1999/01/01", 11);
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, store::current_key, "CPU_FAN", REG_DWORD, &at_limit, sizeof at_limit);
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, store::current_key, "PSU", REG_DWORD, &below, sizeof below);
    }
    void TearDown() override {
        HCXFreeImbSmbDll();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
    }
    // Runs the dialog here while `person` acts on it from another thread.
    void run(const std::function<void(HWND)> &person) {
        std::thread acting([&] {
            HWND dialog = wait_for_dialog(GetCurrentProcessId(), L"Component life time information Browse/Setting");
            if (dialog) person(dialog);
            if (dialog) press_key(dialog, VK_ESCAPE);
        });
        ComponentLifetimeDialog(nullptr, English).run();
        acting.join();
    }
    std::int32_t state = -1;
};

TEST_F(LifetimeFields, AlertIsRedChangedIsBlueAlertWinsAndUnchangedIsDefault) {
    std::vector<Colour> seen;
    run([&](HWND dialog) {
        seen.push_back(colour_of(dialog, 1015));  // 1999/01/01: due since 2000/12/31
        seen.push_back(colour_of(dialog, 1016));  // empty, unchanged
        seen.push_back(colour_of(dialog, 1012));  // CPU fan at its limit
        seen.push_back(colour_of(dialog, 1014));  // power supply one hour below
        type_text(dialog, 1016, L"2001/01/01");
        seen.push_back(colour_of(dialog, 1016));  // changed
        type_text(dialog, 1016, L"");
        seen.push_back(colour_of(dialog, 1016));  // changed back
        type_text(dialog, 1015, L"1998/01/01");
        seen.push_back(colour_of(dialog, 1015));  // changed and due: alert wins
        focus(dialog, 1014);
        type_text(dialog, 1014, L"26000");
        focus(dialog, 1013);
        seen.push_back(colour_of(dialog, 1014));  // turned due as the focus left it
        focus(dialog, 1017);
        type_text(dialog, 1017, days_ago(730).c_str());
        focus(dialog, 1060);
        seen.push_back(colour_of(dialog, 1017));  // due today: its next change date's midnight has passed
        focus(dialog, 1017);
        type_text(dialog, 1017, days_ago(729).c_str());
        focus(dialog, 1060);
        seen.push_back(colour_of(dialog, 1017));  // due tomorrow: changed, not due
    });
    ASSERT_EQ(seen.size(), 10u);
    const COLORREF plain = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_TRUE(seen[0].text == red && seen[0].field_brush);
    EXPECT_TRUE(seen[1].text == plain && !seen[1].field_brush);
    EXPECT_TRUE(seen[2].text == red && seen[2].field_brush) << "at the limit is over it";
    EXPECT_TRUE(seen[3].text == plain && !seen[3].field_brush);
    EXPECT_TRUE(seen[4].text == blue && seen[4].field_brush);
    EXPECT_TRUE(seen[5].text == plain && !seen[5].field_brush) << "changed back";
    EXPECT_TRUE(seen[6].text == red && seen[6].field_brush) << "alert wins over changed";
    EXPECT_TRUE(seen[7].text == red && seen[7].field_brush);
    EXPECT_EQ(seen[8].text, red) << "a battery is over its limit on its next change date";
    EXPECT_EQ(seen[9].text, blue);
}

TEST_F(LifetimeFields, ButtonsFollowTheFocusWithinTheirGroups) {
    struct Step {
        bool today, zero;
        std::wstring hint;
    };
    std::vector<Step> steps;
    std::wstring psu_text;
    run([&](HWND dialog) {
        const auto record = [&] { steps.push_back({visible(dialog, 3), visible(dialog, 4), item_text(dialog, 1130)}); };
        focus(dialog, 1015);
        record();
        focus(dialog, 1016);  // date to date: button 3 stays
        record();
        focus(dialog, 1012);  // date to hours: 3 hidden, 4 shown
        record();
        focus(dialog, IDOK);  // out of both groups
        record();
        focus(dialog, 1014);
        click(dialog, 4);  // the power supply: zeroed, button 4 hidden at once
        eventually([&] { return item_text(dialog, 1014) == L"0"; });
        psu_text = item_text(dialog, 1014);
        record();
    });
    ASSERT_EQ(steps.size(), 5u);
    const std::wstring dates = L"Change Setup date by the[Set today to install date] button or the key board";
    const std::wstring hours = L"Change running by the[Set 0 to running] button or the key board";
    EXPECT_TRUE(steps[0].today && !steps[0].zero);
    EXPECT_EQ(steps[0].hint, dates);
    EXPECT_TRUE(steps[1].today);
    EXPECT_EQ(steps[1].hint, dates);
    EXPECT_TRUE(!steps[2].today && steps[2].zero);
    EXPECT_EQ(steps[2].hint, hours);
    EXPECT_TRUE(!steps[3].today && !steps[3].zero);
    EXPECT_EQ(steps[3].hint, L"");
    EXPECT_EQ(psu_text, L"0");
    EXPECT_FALSE(steps[4].zero);
}

}  // namespace
}  // namespace mgx::settings::testing
