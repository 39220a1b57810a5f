// Translucency, topmost, tool-window style, caption removal and the taskbar button on real windows.
#include "WinTestSupport.h"

#include "procwin/win/WindowEffects.h"

#include <gtest/gtest.h>

#include <future>

using namespace wintest;
using namespace std::chrono_literals;

namespace
{

// A window of another process, as the effects are applied to in practice.
class ForeignWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_target.emplace(u"--title effects");
        m_window = m_target->Window();
        ASSERT_NE(m_window, nullptr);
    }
    LONG ExStyle() const
    {
        return GetWindowLongW(m_window, GWL_EXSTYLE);
    }
    // An effect that waits a moment for the window's thread, made once that thread has answered in
    // time: a loaded machine may not run the program within the moment, and the effect is then not
    // made (as for a window that stopped answering).
    static bool Made(const std::function<bool()> &effect)
    {
        return WaitUntil(effect, 10s);
    }

    std::optional<FixtureTarget> m_target;
    HWND m_window = nullptr;
};

} // namespace

TEST_F(ForeignWindow, TranslucencyRoundTripOfEveryMenuValue)
{
    // What the menu offers and what the window reports afterwards.
    const std::pair<int, int> steps[] = {{10, 10}, {15, 15}, {20, 20}, {25, 25}, {30, 30}, {35, 36}, {40, 41},
                                         {45, 46}, {50, 51}, {55, 56}, {60, 61}, {65, 66}, {70, 72}, {75, 77},
                                         {80, 82}, {85, 87}, {90, 92}, {95, 97}, {100, 100}};
    for (const auto &[set, readBack] : steps)
    {
        EXPECT_TRUE(Made([&] { return procwin::SetTrans(m_window, set); })) << set;
        EXPECT_EQ(procwin::GetTrans(m_window), readBack) << set;
        EXPECT_EQ((ExStyle() & WS_EX_LAYERED) != 0, set != 100) << set;
    }
}

TEST_F(ForeignWindow, OpaqueRemovesTheLayeredStyleAndTinyValuesStayVisible)
{
    ASSERT_TRUE(Made([&] { return procwin::SetTrans(m_window, 2); }));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(m_window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 8);
    EXPECT_TRUE(Made([&] { return procwin::SetTrans(m_window, 100); }));
    EXPECT_EQ(ExStyle() & WS_EX_LAYERED, 0);
    EXPECT_EQ(procwin::GetTrans(m_window), 100);
}

TEST_F(ForeignWindow, TopMostBandAndShowingAHiddenWindow)
{
    // The window's own thread makes the change, a moment later.
    EXPECT_TRUE(procwin::SetTopMost(m_window, true));
    EXPECT_TRUE(WaitUntil([&] { return (ExStyle() & WS_EX_TOPMOST) != 0; }, 5s));
    EXPECT_TRUE(procwin::SetTopMost(m_window, false));
    EXPECT_TRUE(WaitUntil([&] { return (ExStyle() & WS_EX_TOPMOST) == 0; }, 5s));

    ShowWindow(m_window, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_window); }, 5s));
    EXPECT_TRUE(procwin::SetTopMost(m_window, false));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, 5s));
}

TEST_F(ForeignWindow, ToolWindowStyle)
{
    EXPECT_TRUE(Made([&] { return procwin::SetToolWindow(m_window); }));
    EXPECT_NE(ExStyle() & WS_EX_TOOLWINDOW, 0);
}

TEST_F(ForeignWindow, CaptionlessMaximizeAndBack)
{
    EXPECT_TRUE(Made([&] { return procwin::SetCaptionless(m_window, true); }));
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(m_window) != FALSE; }, 5s));
    EXPECT_EQ(GetWindowLongW(m_window, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_TRUE(Made([&] { return procwin::SetCaptionless(m_window, false); }));
    EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(m_window); }, 5s));
    EXPECT_EQ(GetWindowLongW(m_window, GWL_STYLE) & WS_CAPTION, static_cast<LONG>(WS_CAPTION));
}

TEST(WindowEffects, AHungWindowIsNeverWaitedFor)
{
    const std::u16string wakeName =
        u"KV2EffectsWake." + common::Utf8ToUtf16(std::to_string(GetCurrentProcessId()));
    const common::win::UniqueHandle wake(CreateEventW(nullptr, FALSE, FALSE, W(wakeName)));
    ASSERT_TRUE(wake);
    // The calls run on a thread of their own, so that one that waits for the window fails the test
    // instead of holding it: the target, which ends before the thread is joined, releases such a call.
    std::future<std::vector<bool>> calls;
    Process target(BinFolder() + u"\\KV2Target.exe", u"--title hung --hangable " + wakeName);
    HWND window = WaitForWindow(target.Id(), L"KV2TargetWindow", u"hung", 20s);
    ASSERT_NE(window, nullptr);
    // Answering means within a moment, which a loaded machine may miss now and then; hung means never.
    EXPECT_TRUE(WaitUntil([&] { return procwin::Answers(window); }, 10s));
    PostMessageW(window, WM_APP + 1, 0, 0); // the fixture's request to hang
    ASSERT_TRUE(WaitUntil([&] { return WindowText(window) == u"hung (hung)"; }, 5s));

    calls = std::async(std::launch::async, [window] {
        return std::vector<bool>{procwin::Answers(window),
                                 procwin::SetCaption(window, u"new"),
                                 procwin::SetTrans(window, 50),
                                 procwin::SetToolWindow(window),
                                 procwin::SetCaptionless(window, true),
                                 procwin::SetTopMost(window, true)};
    });
    ASSERT_EQ(calls.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(calls.get(), (std::vector<bool>{false, false, false, false, false, true}));
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), 0);
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, 0);

    // Once it answers again, the topmost change it was handed arrives, and the rest can be made.
    SetEvent(wake.Get());
    EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return procwin::Answers(window); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return procwin::SetTrans(window, 50); }, 10s));
    EXPECT_EQ(procwin::GetTrans(window), 51);
}

TEST(WindowEffects, CaptionlessLeavesAFixedSizeWindowAlone)
{
    HWND fixed = CreateWindowExW(0, L"STATIC", L"fixed", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 10, 10,
                                 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(fixed, nullptr);
    const LONG style = GetWindowLongW(fixed, GWL_STYLE);
    procwin::SetCaptionless(fixed, true);
    EXPECT_EQ(GetWindowLongW(fixed, GWL_STYLE), style);
    EXPECT_FALSE(IsZoomed(fixed));
    DestroyWindow(fixed);
}

TEST(WindowEffects, DestroyedWindowAnswersWithoutError)
{
    HWND gone = CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_NO_THROW(procwin::SetTrans(gone, 50));
    EXPECT_EQ(procwin::GetTrans(gone), 100);
    EXPECT_FALSE(procwin::SetTopMost(gone, true));
    EXPECT_NO_THROW(procwin::SetToolWindow(gone));
    EXPECT_NO_THROW(procwin::SetCaptionless(gone, true));
}

TEST(TaskBarButton, ShowOnceUntilTheNextHide)
{
    CountingTaskbarList list;
    procwin::TaskBarListAttach(&list);
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    EXPECT_FALSE(procwin::TabShown());
    procwin::TaskBarButtonShow(window);
    procwin::TaskBarButtonShow(window);
    EXPECT_EQ(list.addTab, 1);
    EXPECT_EQ(list.activateTab, 1);
    EXPECT_TRUE(procwin::TabShown());
    procwin::TaskBarButtonHide(window);
    procwin::TaskBarButtonHide(window);
    EXPECT_EQ(list.deleteTab, 2);
    EXPECT_FALSE(procwin::TabShown());
    procwin::TaskBarButtonShow(window);
    EXPECT_EQ(list.addTab, 2);
    EXPECT_EQ(list.hrInit, 4);
    procwin::TaskBarListRelease();
    procwin::TaskBarListRelease(); // twice is harmless
    EXPECT_FALSE(procwin::TabShown());
    EXPECT_EQ(list.references, 1);
    // Without an object nothing is called.
    procwin::TaskBarButtonShow(window);
    procwin::TaskBarButtonHide(window);
    EXPECT_EQ(list.addTab, 2);
    EXPECT_EQ(list.deleteTab, 2);
}

TEST(TaskBarButton, TheShellObjectCanBeCreated)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    EXPECT_NO_THROW(procwin::TaskBarListCreate());
    HWND window = CreateWindowExW(0, L"STATIC", L"button", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    EXPECT_NO_THROW(procwin::TaskBarButtonHide(window));
    EXPECT_NO_THROW(procwin::TaskBarButtonShow(window));
    EXPECT_TRUE(procwin::TabShown());
    procwin::TaskBarListRelease();
    DestroyWindow(window);
    CoUninitialize();
}

TEST(WindowEffects, AWindowsOwnTranslucencyComesBackAt100)
{
    struct Case
    {
        const char *name;
        DWORD exStyle;
        bool attributes; // the program gave its window alpha 200 and a colour key
        bool layeredAt100;
    } cases[] = {
        {"its own alpha and colour key", WS_EX_LAYERED, true, true},
        {"not layered", 0, false, false},
    };
    for (const Case &c : cases)
    {
        const HWND window = CreateWindowExW(c.exStyle, L"STATIC", L"own", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                            nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        if (c.attributes)
            SetLayeredWindowAttributes(window, RGB(0, 255, 0), 200, LWA_ALPHA | LWA_COLORKEY);
        const procwin::OwnLayering own = procwin::ReadLayering(window);
        EXPECT_TRUE(procwin::SetTrans(window, 50, own)) << c.name;
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags)) << c.name;
        EXPECT_EQ(alpha, procwin::AlphaFromPercent(50)) << c.name;
        EXPECT_EQ((flags & LWA_COLORKEY) != 0, c.attributes) << c.name << ": the colour key stays";
        EXPECT_TRUE(procwin::SetTrans(window, 100, own)) << c.name;
        const bool layered = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(layered, c.layeredAt100) << c.name;
        if (c.attributes)
        {
            ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags)) << c.name;
            EXPECT_EQ(alpha, 200) << c.name;
            EXPECT_EQ(key, RGB(0, 255, 0)) << c.name;
        }
        DestroyWindow(window);
    }
    // A layered window without attributes draws itself (per-pixel alpha): it is never given any.
    const HWND drawn = CreateWindowExW(WS_EX_LAYERED, L"STATIC", L"drawn", WS_POPUP, 0, 0, 50, 50, nullptr,
                                       nullptr, nullptr, nullptr);
    ASSERT_NE(drawn, nullptr);
    const procwin::OwnLayering own = procwin::ReadLayering(drawn);
    EXPECT_TRUE(own.drawsItself);
    EXPECT_TRUE(procwin::SetTrans(drawn, 50, own));
    BYTE alpha = 0;
    EXPECT_FALSE(GetLayeredWindowAttributes(drawn, nullptr, &alpha, nullptr));
    DestroyWindow(drawn);
}
