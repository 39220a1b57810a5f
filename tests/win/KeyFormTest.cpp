#include "WinTestSupport.h"

#include "ui/win/KeyForm.h"
#include "ui/win/KeyNames.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;

namespace
{

// The dialog's controls, found the way a user sees them: by class and caption.
struct Controls
{
    HWND form;
    HWND edit;
    HWND ok;
    HWND cancel;

    static Controls Of(HWND form)
    {
        return {form, FindWindowExW(form, nullptr, L"Edit", nullptr),
                FindWindowExW(form, nullptr, L"Button", L"OK"),
                FindWindowExW(form, nullptr, L"Button", L"キャンセル")};
    }
};

// Shows the dialog modally on this thread while `user` plays the user on another one, once the dialog
// is visible. The user must end the dialog; should it stay open, the test fails and the dialog closes.
int ShowModalWith(ui::TKeyForm &form, HWND owner, const std::function<void(const Controls &)> &user)
{
    std::thread player([&] {
        const HWND window = form.Handle();
        // Visible, and its modal loop running: the showing, the activation and the focus are over.
        DWORD_PTR answer = 0;
        if (!WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 20s) ||
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &answer) == 0)
        {
            ADD_FAILURE() << "the dialog did not show";
            return;
        }
        user(Controls::Of(window));
        if (!WaitUntil([&] { return IsWindowVisible(window) == FALSE; }, 10s))
        {
            ADD_FAILURE() << "the dialog stayed open";
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    });
    const int result = form.ShowModal(owner);
    player.join();
    return result;
}

// Real key strokes into the foreground window: the keys go down in order and up in reverse order.
void PressKeys(const std::vector<WORD> &keys)
{
    std::vector<INPUT> inputs;
    const auto add = [&](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        const bool extended = key >= VK_PRIOR && key <= VK_DELETE;
        input.ki.dwFlags = flags | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(input);
    };
    for (WORD key : keys)
        add(key, 0);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        add(*key, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool EditShows(HWND edit, const std::u16string &text)
{
    return WaitUntil([&] { return WindowText(edit) == text; }, 10s);
}

RECT ClientPlace(HWND child, HWND form)
{
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT *>(&place), 2);
    return place;
}

} // namespace

TEST(TKeyForm, OpensEmptyWithOkDisabledAndTheFocusInTheEdit)
{
    ui::TKeyForm form;
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    std::u16string caption, editText;
    bool okEnabled = true, cancelEnabled = false, topmost = false, readOnly = false;
    HWND focus = nullptr;
    Controls seen{};
    const int result = ShowModalWith(form, nullptr, [&](const Controls &controls) {
        seen = controls;
        caption = WindowText(controls.form);
        editText = WindowText(controls.edit);
        okEnabled = IsWindowEnabled(controls.ok);
        cancelEnabled = IsWindowEnabled(controls.cancel);
        topmost = (GetWindowLongW(controls.form, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        readOnly = (GetWindowLongW(controls.edit, GWL_STYLE) & ES_READONLY) != 0;
        GUITHREADINFO thread{};
        thread.cbSize = sizeof(thread);
        GetGUIThreadInfo(GetWindowThreadProcessId(controls.form, nullptr), &thread);
        focus = thread.hwndFocus;
        PostMessageW(controls.form, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, ui::TKeyForm::kResultCancel);
    EXPECT_EQ(caption, u"キーの設定");
    ASSERT_NE(seen.edit, nullptr);
    ASSERT_NE(seen.ok, nullptr);
    ASSERT_NE(seen.cancel, nullptr);
    EXPECT_EQ(editText, u"");
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(cancelEnabled);
    EXPECT_EQ(focus, seen.edit);
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(readOnly);
    for (HWND control : {seen.edit, seen.ok, seen.cancel})
        EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

TEST(TKeyForm, LayoutIsCentredAndKeepsTheDesignProportions)
{
    ui::TKeyForm form;
    RECT client{}, edit{}, ok{}, cancel{}, frame{};
    LOGFONTW editFont{};
    ShowModalWith(form, nullptr, [&](const Controls &controls) {
        GetClientRect(controls.form, &client);
        GetWindowRect(controls.form, &frame);
        edit = ClientPlace(controls.edit, controls.form);
        ok = ClientPlace(controls.ok, controls.form);
        cancel = ClientPlace(controls.cancel, controls.form);
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(controls.edit, WM_GETFONT, 0, 0)), sizeof(editFont),
                   &editFont);
        SendMessageW(controls.cancel, BM_CLICK, 0, 0);
    });
    // 262 x 51 at 96 DPI: the edit 262 x 21 on top, the buttons 81 x 30 side by side at the bottom right.
    const double unit = client.right / 262.0;
    EXPECT_NEAR(client.bottom, 51 * unit, 1.0);
    EXPECT_EQ(edit.left, 0);
    EXPECT_EQ(edit.top, 0);
    EXPECT_EQ(edit.right, client.right);
    EXPECT_NEAR(edit.bottom, 21 * unit, 1.0);
    EXPECT_EQ(cancel.right, client.right);
    EXPECT_EQ(cancel.bottom, client.bottom);
    EXPECT_EQ(ok.right, cancel.left);
    EXPECT_EQ(ok.top, cancel.top);
    EXPECT_EQ(ok.top, edit.bottom);
    for (const RECT &button : {ok, cancel})
    {
        EXPECT_NEAR(button.right - button.left, 81 * unit, 1.0);
        EXPECT_NEAR(button.bottom - button.top, 30 * unit, 1.0);
    }
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    EXPECT_EQ(U(editFont.lfFaceName), U(metrics.lfMenuFont.lfFaceName));
}

TEST(TKeyForm, KeyDownsShowOnlyCombinationsWithAModifier)
{
    struct Case
    {
        const char *name;
        std::vector<WORD> keys;
        std::u16string text;
    };
    const Case cases[] = {
        {"Ctrl+Shift+F5", {VK_CONTROL, VK_SHIFT, VK_F5}, u"Shift+Ctrl+F5"},
        {"Alt+Left", {VK_MENU, VK_LEFT}, u"Alt+Left"},
        {"Ctrl+Tab", {VK_CONTROL, VK_TAB}, u"Ctrl+Tab"},
        {"Shift+Enter", {VK_SHIFT, VK_RETURN}, u"Shift+Enter"},
        {"F5 alone", {VK_F5}, u""},
        {"Ctrl alone", {VK_CONTROL}, u""},
        {"Esc", {VK_ESCAPE}, u""},
    };
    ui::TKeyForm form; // reused, as the program does: every show starts empty
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::u16string openedWith = u"?";
        bool openedOkEnabled = true, primed = false, shown = false, okEnabled = false;
        const int result = ShowModalWith(form, nullptr, [&](const Controls &controls) {
            openedWith = WindowText(controls.edit);
            openedOkEnabled = IsWindowEnabled(controls.ok);
            WaitUntil([&] { return GetForegroundWindow() == controls.form; }, 10s);
            // A first combination, so that an empty result proves the keys arrived.
            PressKeys({VK_CONTROL, 'Q'});
            primed = EditShows(controls.edit, u"Ctrl+Q");
            PressKeys(c.keys);
            shown = EditShows(controls.edit, c.text);
            okEnabled = IsWindowEnabled(controls.ok);
            SendMessageW(c.text.empty() ? controls.cancel : controls.ok, BM_CLICK, 0, 0);
        });
        EXPECT_EQ(openedWith, u"");
        EXPECT_FALSE(openedOkEnabled);
        EXPECT_TRUE(primed);
        EXPECT_TRUE(shown) << "the edit shows " << testing::PrintToString(form.KeyText());
        EXPECT_EQ(okEnabled, !c.text.empty());
        EXPECT_EQ(result, c.text.empty() ? ui::TKeyForm::kResultCancel : ui::TKeyForm::kResultOK);
        EXPECT_EQ(form.KeyText(), c.text);
    }
}

TEST(TKeyForm, OnlyAnEnabledOkConfirmsAndTheOwnerIsDisabledMeanwhile)
{
    const HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    ui::TKeyForm form;
    bool ownerEnabled = true, stillOpen = false;
    const int result = ShowModalWith(form, owner, [&](const Controls &controls) {
        ownerEnabled = IsWindowEnabled(owner);
        // A disabled OK cannot confirm, not even by its command.
        SendMessageW(controls.form, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(controls.ok));
        stillOpen = IsWindowVisible(controls.form);
        SendMessageW(controls.cancel, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(result, ui::TKeyForm::kResultCancel);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(form.KeyText(), u"");
    DestroyWindow(owner);
}

TEST(TKeyForm, LayoutNamesKeysOutsideTheFixedTable)
{
    const ui::LayoutKeyNames names;
    // Wine answers X11 names ("semicolon", "Shift_L"), Windows its own: only their presence is certain.
    for (unsigned keyCode :
         {VK_SHIFT, VK_OEM_1, VK_OEM_PLUS, VK_OEM_COMMA, VK_OEM_MINUS, VK_OEM_PERIOD, VK_OEM_2})
    {
        SCOPED_TRACE(keyCode);
        EXPECT_NE(names.LayoutKeyName(keyCode), u"");
    }
    // No scan code, no name.
    EXPECT_EQ(names.LayoutKeyName(0x07), u"");
    // Whatever the layout calls its keys, their texts read back.
    for (unsigned keyCode = 8; keyCode <= 0xFF; ++keyCode)
    {
        const std::u16string text = ui::ShortCutToText(ui::Compose(keyCode, {.ctrl = true}), names);
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(ui::ShortCutToText(ui::TextToShortCut(text, names), names), text);
    }
}

TEST(TKeyForm, ACombinationAnotherProgramHoldsIsNamedAsTaken)
{
    // Held as a hot key by "another program" (this thread, to the dialog's eyes).
    ASSERT_TRUE(RegisterHotKey(nullptr, 77, MOD_CONTROL | MOD_ALT, VK_F8));
    const struct
    {
        std::vector<WORD> keys;
        std::u16string text;
        bool taken;
    } cases[] = {
        {{VK_CONTROL, VK_MENU, VK_F8}, u"Ctrl+Alt+F8", true},
        {{VK_CONTROL, VK_MENU, VK_F7}, u"Ctrl+Alt+F7", false},
    };
    ui::TKeyForm form;
    for (const auto &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.text));
        bool shown = false, noted = false, hotKeyCame = false;
        ShowModalWith(form, nullptr, [&](const Controls &controls) {
            const HWND note = FindWindowExW(controls.form, nullptr, L"Static", L"他のプログラムが使用中のキーです");
            WaitUntil([&] { return GetForegroundWindow() == controls.form; }, 10s);
            PressKeys(c.keys);
            shown = EditShows(controls.edit, c.text);
            noted = note != nullptr && IsWindowVisible(note);
            SendMessageW(controls.ok, BM_CLICK, 0, 0);
        });
        MSG message;
        hotKeyCame = PeekMessageW(&message, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE;
        EXPECT_TRUE(shown);
        EXPECT_EQ(noted, c.taken);
        // Picking the key does not set off the other program.
        EXPECT_FALSE(hotKeyCame);
    }
    UnregisterHotKey(nullptr, 77);
}
