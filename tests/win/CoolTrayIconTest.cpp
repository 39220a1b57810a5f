// The tray icon in the session's real notification area; mouse notifications arrive as the shell
// sends them, through the callback message to the handler window.
#include "WinTestSupport.h"

#include "ui/win/CoolTrayIcon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;
using ui::TCoolTrayIcon;

namespace
{

// Whether the notification area holds the icon of this record: only an existing icon can be
// modified.
bool ShellHas(const NOTIFYICONDATAW &data)
{
    NOTIFYICONDATAW probe = data;
    return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

void DeleteBehindItsBack(const NOTIFYICONDATAW &data)
{
    NOTIFYICONDATAW copy = data;
    Shell_NotifyIconW(NIM_DELETE, &copy);
}

// Sends the notifications as the shell reports them in version 4 (the event and the icon's id in lParam,
// the point in wParam): 'd' left press, 'u' left release, 'x' second press of a double click, 'r' right
// press, 's' NIN_SELECT after a click, 'k' Enter or Space (NIN_KEYSELECT), 'c' WM_CONTEXTMENU.
void Mouse(const TCoolTrayIcon &icon, std::string_view steps)
{
    for (char step : steps)
    {
        const UINT message = step == 'd'   ? WM_LBUTTONDOWN
                             : step == 'u' ? WM_LBUTTONUP
                             : step == 'x' ? WM_LBUTTONDBLCLK
                             : step == 's' ? NIN_SELECT
                             : step == 'k' ? NIN_KEYSELECT
                             : step == 'c' ? WM_CONTEXTMENU
                                           : WM_RBUTTONDOWN;
        SendMessageW(icon.Data().hWnd, ui::kTrayCallbackMessage, MAKEWPARAM(200, 300),
                     MAKELPARAM(message, icon.Data().uID));
    }
}

// Lets the click timer run out, processing messages meanwhile.
void PassDoubleClickTime()
{
    WaitUntil([] { return false; }, std::chrono::milliseconds(GetDoubleClickTime() + 300));
}

// An icon whose click events are counted.
struct CountingIcon
{
    CountingIcon(bool hasClick, bool hasDblClick)
    {
        if (hasClick)
            icon.SetOnClick([this] { ++clicks; });
        if (hasDblClick)
            icon.SetOnDblClick([this] { ++dblClicks; });
    }

    TCoolTrayIcon icon;
    int clicks = 0;
    int dblClicks = 0;
};

// The colours of an icon drawn at 32 x 32 on white, to tell pictures apart.
std::vector<COLORREF> Pixels(HICON icon)
{
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const common::win::UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, 32, 32));
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap.Get());
    const RECT all{0, 0, 32, 32};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return pixels;
}

// Watches from a thread of its own for a pop-up menu of this process to be shown and answers it with
// keyboard input, as the user would. A menu that the input does not close is closed by a posted
// Escape, so that a test fails instead of hanging.
class MenuWatcher
{
  public:
    MenuWatcher(std::vector<WORD> keys, std::chrono::milliseconds timeout)
        : m_thread([this, keys = std::move(keys), timeout] { Watch(keys, timeout); })
    {
    }
    ~MenuWatcher()
    {
        Finish();
    }
    // Stops watching; answers whether a menu was seen.
    bool Finish()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }
    HWND ForegroundDuringMenu() const
    {
        return m_foreground;
    }
    bool ClosedByInput() const
    {
        return m_closedByInput;
    }

  private:
    static HWND ShownMenu()
    {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
    }
    void Watch(const std::vector<WORD> &keys, std::chrono::milliseconds timeout)
    {
        if (!WaitUntil([&] { return m_stop || ShownMenu() != nullptr; }, timeout) || ShownMenu() == nullptr)
            return;
        m_seen = true;
        m_foreground = GetForegroundWindow();
        std::vector<INPUT> inputs(keys.size() * 2);
        for (size_t i = 0; i < inputs.size(); ++i)
        {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wVk = keys[i / 2];
            inputs[i].ki.dwFlags = i % 2 == 0 ? 0 : KEYEVENTF_KEYUP;
        }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        m_closedByInput = WaitUntil([] { return ShownMenu() == nullptr; }, 5s);
        if (const HWND menu = ShownMenu())
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }

    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_seen = false;
    std::atomic<bool> m_closedByInput = false;
    std::atomic<HWND> m_foreground = nullptr;
    std::thread m_thread;
};

// A pop-up menu of two items and the window that receives the chosen one.
struct TrayMenu
{
    static constexpr UINT kFirst = 101;
    static constexpr UINT kSecond = 102;

    TrayMenu() : menu(CreatePopupMenu())
    {
        AppendMenuW(menu, MF_STRING, kFirst, L"最初");
        AppendMenuW(menu, MF_STRING, kSecond, L"二番目");
        commands = CreateWindowExW(0, L"STATIC", L"commands", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                   nullptr);
    }
    ~TrayMenu()
    {
        DestroyMenu(menu);
        DestroyWindow(commands);
    }
    // The item ids of the WM_COMMAND messages posted to the command window so far.
    std::vector<UINT> Commands() const
    {
        std::vector<UINT> ids;
        MSG message;
        while (PeekMessageW(&message, commands, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            ids.push_back(LOWORD(message.wParam));
        return ids;
    }

    HMENU menu;
    HWND commands;
};

} // namespace

TEST(TCoolTrayIcon, TheNotificationRecord)
{
    TCoolTrayIcon first;
    TCoolTrayIcon second;
    const NOTIFYICONDATAW &data = first.Data();
    EXPECT_EQ(data.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_EQ(data.uVersion, static_cast<UINT>(NOTIFYICON_VERSION_4));
    EXPECT_EQ(data.uCallbackMessage, 0x800u);
    EXPECT_NE(data.uID, second.Data().uID);
    EXPECT_EQ(data.hWnd, second.Data().hWnd) << "one handler window for all icons";
    EXPECT_FALSE(first.IconVisible());
    EXPECT_TRUE(first.Enabled());
    EXPECT_TRUE(first.ShowHint());
    EXPECT_EQ(first.Icon(), nullptr);
}

TEST(TCoolTrayIcon, TheHandlerWindowIsAHiddenTopLevelWindowThatGoesWithTheLastIcon)
{
    HWND window = nullptr;
    {
        TCoolTrayIcon first;
        window = first.Data().hWnd;
        {
            TCoolTrayIcon second;
        }
        ASSERT_TRUE(IsWindow(window));
        EXPECT_FALSE(IsWindowVisible(window));
        // Broadcasts such as "TaskbarCreated" reach the windows that EnumWindows lists.
        const std::vector<HWND> topLevel = ProcessWindows(GetCurrentProcessId());
        EXPECT_NE(std::find(topLevel.begin(), topLevel.end(), window), topLevel.end());
    }
    EXPECT_FALSE(IsWindow(window));
}

std::vector<std::pair<HWND, UINT>> g_allowed;

TEST(TCoolTrayIcon, TheHandlerWindowLetsInExactlyTheShellsMessages)
{
    // What an elevated KV2A must allow, or it never hears of a restarted shell nor of clicks on its
    // icon (Wine has no integrity levels, so the filter itself is watched).
    g_allowed.clear();
    ui::SetShellMessageFilter([](HWND window, UINT message) { g_allowed.emplace_back(window, message); });
    HWND window = nullptr;
    {
        TCoolTrayIcon icon;
        window = icon.Data().hWnd;
    }
    ui::SetShellMessageFilter(nullptr);
    const std::vector<std::pair<HWND, UINT>> expected = {{window, RegisterWindowMessageW(L"TaskbarCreated")},
                                                         {window, ui::kTrayCallbackMessage}};
    EXPECT_EQ(g_allowed, expected);
}

TEST(TCoolTrayIcon, VisibleAddsTheIconAndHiddenOrDestroyedDeletesIt)
{
    NOTIFYICONDATAW data{};
    {
        TCoolTrayIcon icon;
        icon.SetIcon(LoadIconW(nullptr, IDI_APPLICATION));
        icon.SetHint(u"KV2 トレイ");
        data = icon.Data();
        EXPECT_FALSE(ShellHas(data));
        EXPECT_TRUE(icon.SetIconVisible(true));
        EXPECT_TRUE(icon.IconVisible());
        EXPECT_TRUE(ShellHas(data));
        EXPECT_TRUE(icon.SetIconVisible(false));
        EXPECT_FALSE(icon.IconVisible());
        EXPECT_FALSE(ShellHas(data));
        EXPECT_TRUE(icon.SetIconVisible(true));
    }
    EXPECT_FALSE(ShellHas(data)) << "destruction deletes the icon";
}

TEST(TCoolTrayIcon, TheTipIsTheHintCutTo126Characters)
{
    const std::u16string long200(200, u'あ');
    const std::u16string pairAtTheCut = std::u16string(125, u'a') + u"\U0001F600";
    struct Case
    {
        const char *name;
        std::u16string hint;
        bool showHint;
        std::u16string tip;
    };
    const Case cases[] = {
        {"short", u"KV2 - notepad.exe", true, u"KV2 - notepad.exe"},
        {"200 characters", long200, true, long200.substr(0, 126)},
        {"127 characters", std::u16string(127, u'x'), true, std::u16string(126, u'x')},
        {"126 characters", std::u16string(126, u'y'), true, std::u16string(126, u'y')},
        {"a surrogate pair across the cut", pairAtTheCut, true, std::u16string(125, u'a')},
        {"empty", u"", true, u""},
        {"not shown", u"hidden tip", false, u""},
    };
    TCoolTrayIcon icon;
    ASSERT_TRUE(icon.SetIconVisible(true));
    for (const Case &c : cases)
    {
        icon.SetShowHint(c.showHint);
        icon.SetHint(c.hint);
        EXPECT_EQ(icon.Hint(), c.hint) << c.name;
        EXPECT_EQ(U(icon.Data().szTip), c.tip) << c.name;
        EXPECT_TRUE(ShellHas(icon.Data())) << c.name;
    }
}

TEST(TCoolTrayIcon, ThePictureIsAnOwnedCopyPickedFromTheListByAClampedIndex)
{
    const HICON entries[] = {LoadIconW(nullptr, IDI_APPLICATION), LoadIconW(nullptr, IDI_WARNING)};
    ASSERT_NE(Pixels(entries[0]), Pixels(entries[1]));
    struct Step
    {
        const char *name;
        void (*action)(TCoolTrayIcon &, const HICON *);
        int index;
        int picture; // the entry shown
    };
    const Step steps[] = {
        {"list set",
         [](TCoolTrayIcon &t, const HICON *e) {
             t.SetIconList({e[0], e[1]});
         },
         0, 0},
        {"index 1", [](TCoolTrayIcon &t, const HICON *) { t.SetIconIndex(1); }, 1, 1},
        {"index 0", [](TCoolTrayIcon &t, const HICON *) { t.SetIconIndex(0); }, 0, 0},
        {"index beyond the list", [](TCoolTrayIcon &t, const HICON *) { t.SetIconIndex(5); }, 1, 1},
        {"negative index", [](TCoolTrayIcon &t, const HICON *) { t.SetIconIndex(-2); }, 0, 0},
        {"list set again",
         [](TCoolTrayIcon &t, const HICON *e) {
             t.SetIconList({e[1], e[0]});
         },
         0, 1},
        {"list dropped", [](TCoolTrayIcon &t, const HICON *) { t.SetIconList({}); }, 0, 1},
        {"index without a list", [](TCoolTrayIcon &t, const HICON *) { t.SetIconIndex(3); }, 0, 1},
        {"picture set directly", [](TCoolTrayIcon &t, const HICON *e) { t.SetIcon(e[0]); }, 0, 0},
    };
    TCoolTrayIcon icon;
    ASSERT_TRUE(icon.SetIconVisible(true));
    for (const Step &s : steps)
    {
        s.action(icon, entries);
        EXPECT_EQ(icon.IconIndex(), s.index) << s.name;
        ASSERT_NE(icon.Icon(), nullptr) << s.name;
        EXPECT_NE(icon.Icon(), entries[s.picture]) << s.name << ": a copy";
        EXPECT_EQ(icon.Data().hIcon, icon.Icon()) << s.name;
        EXPECT_EQ(Pixels(icon.Icon()), Pixels(entries[s.picture])) << s.name;
        EXPECT_TRUE(ShellHas(icon.Data())) << s.name;
    }

    // The caller's own icon may go at once.
    const HICON mine = CopyIcon(entries[1]);
    icon.SetIcon(mine);
    DestroyIcon(mine);
    EXPECT_EQ(Pixels(icon.Icon()), Pixels(entries[1]));
    icon.SetIcon(nullptr);
    EXPECT_EQ(icon.Data().hIcon, nullptr);
    EXPECT_TRUE(ShellHas(icon.Data()));
}

TEST(TCoolTrayIcon, ClicksAndDoubleClicksByTheAssignedEvents)
{
    struct Case
    {
        const char *name;
        bool hasClick, hasDblClick, enabled;
        const char *steps;
        int clicksAtOnce, clicks, dblClicks; // clicks at once: before the double-click time has passed
    };
    const Case cases[] = {
        {"click only: a click at the release", true, false, true, "du", 1, 1, 0},
        {"click only: a double click is one click", true, false, true, "duxu", 1, 1, 0},
        {"double click only: a click does nothing", false, true, true, "du", 0, 0, 0},
        {"double click only: a double click runs once", false, true, true, "duxu", 0, 0, 1},
        {"both: a click after the double-click time", true, true, true, "du", 0, 1, 0},
        {"both: a double click only", true, true, true, "duxu", 0, 0, 1},
        {"a click's NIN_SELECT is no second click", true, false, true, "dus", 1, 1, 0},
        {"keyboard, click only: a click", true, false, true, "k", 1, 1, 0},
        {"keyboard with a double click handler: the double click", true, true, true, "k", 0, 0, 1},
        {"Enter reported twice: once", false, true, true, "kk", 0, 0, 1},
        {"disabled: no click", true, false, false, "du", 0, 0, 0},
        {"disabled: no double click", true, true, false, "duxu", 0, 0, 0},
    };
    for (const Case &c : cases)
    {
        CountingIcon counting(c.hasClick, c.hasDblClick);
        CountingIcon bystander(true, true);
        counting.icon.SetEnabled(c.enabled);
        Mouse(counting.icon, c.steps);
        EXPECT_EQ(counting.clicks, c.clicksAtOnce) << c.name;
        PassDoubleClickTime();
        EXPECT_EQ(counting.clicks, c.clicks) << c.name;
        EXPECT_EQ(counting.dblClicks, c.dblClicks) << c.name;
        EXPECT_EQ(bystander.clicks + bystander.dblClicks, 0) << c.name << ": another icon of the process";
    }
}

TEST(TCoolTrayIcon, AClickMayDestroyTheIcon)
{
    for (const bool hasDblClick : {false, true})
    {
        std::optional<TCoolTrayIcon> icon(std::in_place);
        const HWND window = icon->Data().hWnd;
        bool clicked = false;
        icon->SetOnClick([&] {
            icon.reset();
            clicked = true;
        });
        if (hasDblClick)
            icon->SetOnDblClick([] {});
        Mouse(*icon, "du");
        EXPECT_TRUE(WaitUntil([&] { return clicked; }, 5s)) << hasDblClick;
        EXPECT_FALSE(IsWindow(window)) << hasDblClick;
    }
}

namespace
{

// A shown icon with the two-item menu.
struct MenuIcon
{
    MenuIcon()
    {
        icon.SetPopupMenu(menu.menu, menu.commands);
        icon.SetIconVisible(true);
    }

    TrayMenu menu;
    TCoolTrayIcon icon;
};

} // namespace

TEST(TCoolTrayIcon, TheRightButtonOpensTheMenuAndTheChosenItemGoesToTheCommandWindow)
{
    MenuIcon shown;
    TrayMenu &menu = shown.menu;
    TCoolTrayIcon &icon = shown.icon;
    ASSERT_TRUE(icon.IconVisible());
    struct Case
    {
        const char *name;
        std::vector<WORD> keys;
        std::vector<UINT> commands;
    };
    const Case cases[] = {
        {"first item", {VK_DOWN, VK_RETURN}, {TrayMenu::kFirst}},
        {"second item", {VK_DOWN, VK_DOWN, VK_RETURN}, {TrayMenu::kSecond}},
        {"closed without a choice", {VK_ESCAPE}, {}},
    };
    for (const Case &c : cases)
    {
        MenuWatcher watcher(c.keys, 10s);
        Mouse(icon, "r"); // returns when the menu has closed
        EXPECT_TRUE(watcher.Finish()) << c.name;
        EXPECT_TRUE(watcher.ClosedByInput()) << c.name;
        // The command window owns the open menu: it is brought to the front for it.
        EXPECT_EQ(watcher.ForegroundDuringMenu(), menu.commands) << c.name;
        EXPECT_EQ(menu.Commands(), c.commands) << c.name;
    }
}

TEST(TCoolTrayIcon, TheMenuKeyOpensTheMenuAndTheRightButtonOpensItOnce)
{
    MenuIcon shown;
    TCoolTrayIcon &icon = shown.icon;
    ASSERT_TRUE(icon.IconVisible());
    struct Case
    {
        const char *name;
        const char *steps; // the menu is answered with Escape each time it opens
        int menus;
    };
    const Case cases[] = {
        {"Shift+F10 or the menu key", "c", 1},
        {"a right click: the press and the shell's notification after the release", "rc", 1},
        {"a right click, then the menu key", "rcc", 2},
    };
    for (const Case &c : cases)
    {
        int menus = 0;
        for (const char step : std::string_view(c.steps))
        {
            MenuWatcher watcher({VK_ESCAPE}, 10s);
            Mouse(icon, std::string_view(&step, 1));
            menus += watcher.Finish() ? 1 : 0;
        }
        EXPECT_EQ(menus, c.menus) << c.name;
    }
}

TEST(TCoolTrayIcon, NoMenuWhileDisabledOrWithoutOne)
{
    TrayMenu menu;
    TCoolTrayIcon icon;
    ASSERT_TRUE(icon.SetIconVisible(true));
    struct Case
    {
        const char *name;
        bool enabled;
        HMENU menu;
    };
    const Case cases[] = {{"disabled", false, menu.menu}, {"no menu", true, nullptr}};
    for (const Case &c : cases)
    {
        icon.SetEnabled(c.enabled);
        icon.SetPopupMenu(c.menu, menu.commands);
        // Should a menu open, the watcher closes it, so that the test goes on to fail.
        MenuWatcher watcher({VK_ESCAPE}, 1s);
        Mouse(icon, "r");
        EXPECT_FALSE(watcher.Finish()) << c.name;
    }
    // Picture and tip still change while disabled.
    icon.SetEnabled(false);
    icon.SetHint(u"still updated");
    EXPECT_EQ(U(icon.Data().szTip), u"still updated");
    EXPECT_TRUE(ShellHas(icon.Data()));
}

TEST(TCoolTrayIcon, TaskbarCreatedAddsTheIconAgainOnlyWhenVisible)
{
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    for (const bool visible : {true, false})
    {
        TCoolTrayIcon icon;
        icon.SetIcon(LoadIconW(nullptr, IDI_INFORMATION));
        icon.SetHint(u"restarted shell");
        icon.SetIconVisible(true);
        if (visible)
            DeleteBehindItsBack(icon.Data()); // as a restarting shell loses its icons
        else
            icon.SetIconVisible(false);
        ASSERT_FALSE(ShellHas(icon.Data())) << visible;
        PostMessageW(icon.Data().hWnd, taskbarCreated, 0, 0);
        EXPECT_EQ(WaitUntil([&] { return ShellHas(icon.Data()); }, visible ? 5s : 500ms), visible) << visible;
    }
}

TEST(TCoolTrayIcon, TheHandlerWindowLetsTheSessionEnd)
{
    TCoolTrayIcon icon;
    ASSERT_TRUE(icon.SetIconVisible(true));
    const HWND window = icon.Data().hWnd;
    for (const UINT message : {WM_QUERYENDSESSION, WM_ENDSESSION, WM_CLOSE, WM_DESTROY})
    {
        EXPECT_EQ(SendMessageW(window, message, TRUE, 0), 1) << message;
        EXPECT_TRUE(IsWindow(window)) << message;
    }
    EXPECT_TRUE(ShellHas(icon.Data()));
}
