// Scenarios of the icon panel beside a real target: its sizes and frame, translucency under the mouse,
// the title hint, clicks on the icon, and the display modes of the controller.
#include "Kv2Scenario.h"

#include "common/win/SystemFonts.h"

#include "controller/MenuModel.h"
#include "ui/PanelGeometry.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace e2e;
using namespace wintest;

namespace
{

HWND WaitForPanel(Scenario &scenario, bool visible)
{
    HWND panel = WaitForWindow(scenario.Kv2Process().Id(), L"TPanelForm", u"", 10s);
    if (panel != nullptr)
        WaitUntil([&] { return (IsWindowVisible(panel) != FALSE) == visible; }, 5s);
    return panel;
}

HWND ImageOf(HWND panel)
{
    return FindWindowExW(panel, nullptr, L"TPanelImage", nullptr);
}

bool IsLayeredAtHalf(HWND window)
{
    if ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0)
        return false;
    BYTE alpha = 255;
    DWORD flags = 0;
    return GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) &&
           alpha < 160 && alpha > 100;
}

// The colour of the frame as the screen shows it (the panel must be opaque and uncovered), once it has
// been painted in `expected`; the last colour read otherwise.
COLORREF FrameColour(HWND panel, COLORREF expected)
{
    COLORREF colour = CLR_INVALID;
    WaitUntil(
        [&] {
            RECT place{};
            GetWindowRect(panel, &place);
            HDC screen = GetDC(nullptr);
            colour = GetPixel(screen, place.left, place.top);
            ReleaseDC(nullptr, screen);
            return colour == expected;
        },
        3s);
    return colour;
}

HWND VisibleHint(DWORD processId)
{
    for (HWND window : ProcessWindows(processId))
    {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (lstrcmpW(name, L"TPanelHint") == 0 && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

void Click(HWND window, bool twice)
{
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    if (twice)
    {
        PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
}

} // namespace

TEST(Panel, SizesFrameAndPersistedPlacement)
{
    // The target is placed away from the panel, whose frame colour is read off the screen.
    Scenario scenario(
        "[Tray Option]\r\nDisplay=1\r\nIconPanel_Left=200\r\nIconPanel_Top=150\r\nIconPanel_Size=0\r\n"
        "IconPanel_Trans=0\r\nIconPanel_MostTop=0\r\nPositionSize=1\r\nX=700\r\nY=420\r\nW=300\r\nH=200\r\n");
    scenario.Start();
    HWND panel = WaitForPanel(scenario, true);
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    ASSERT_TRUE(IsWindowVisible(panel));
    EXPECT_FALSE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_LAYERED);
    // A run in a session of another resolution says which, so that it cannot pass at 96 DPI unseen.
    if (const char *dpi = std::getenv("KV2_TEST_DPI"))
    {
        ASSERT_EQ(common::win::ScreenDpi(), std::atoi(dpi));
    }
    for (int index = 0; index < ui::kPanelSizeCount; ++index)
    {
        PostMessageW(panel, WM_COMMAND, ui::kPPSize0 + static_cast<UINT>(index), 0);
        const ui::PanelGeometry geometry = ui::PanelGeometryFor(index, common::win::ScreenDpi());
        RECT place{}, image{};
        EXPECT_TRUE(WaitUntil(
            [&] {
                GetWindowRect(panel, &place);
                GetWindowRect(ImageOf(panel), &image);
                return place.right - place.left == geometry.formSide &&
                       image.right - image.left == geometry.panelSide && IsWindowVisible(panel);
            },
            5s))
            << index << " " << image.left << "," << image.top << "," << image.right << "," << image.bottom
            << " in " << place.left << "," << place.top << "," << place.right << "," << place.bottom;
        EXPECT_EQ(place.bottom - place.top, geometry.formSide) << index;
        EXPECT_EQ(image.left - place.left, geometry.panelOffset) << index;
        EXPECT_EQ(image.top - place.top, geometry.panelOffset) << index;
        EXPECT_EQ(image.right - image.left, geometry.panelSide) << index;
        EXPECT_EQ(place.left, 200) << index;
    }

    // Frame white, grey while topmost; the middle button on the icon toggles it back. Wine does not
    // give the topmost style to a window that owns others (the panel owns its hint and its tooltip),
    // so the frame tells what the panel chose.
    EXPECT_EQ(FrameColour(panel, RGB(255, 255, 255)), RGB(255, 255, 255));
    PostMessageW(panel, WM_COMMAND, ui::kPPTop, 0);
    EXPECT_EQ(FrameColour(panel, RGB(128, 128, 128)), RGB(128, 128, 128));
    EXPECT_EQ(scenario.OptionOnceSaved(u"IconPanel_MostTop", u"1"), u"1");
    PostMessageW(ImageOf(panel), WM_MBUTTONDOWN, MK_MBUTTON, 0);
    EXPECT_EQ(FrameColour(panel, RGB(255, 255, 255)), RGB(255, 255, 255));

    // Position, size and check marks go back with the options.
    PostMessageW(panel, WM_COMMAND, ui::kPPSize0 + 3, 0);
    WaitUntil([] { return false; }, 300ms);
    SetWindowPos(panel, nullptr, 321, 123, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(panel, WM_COMMAND, ui::kPPHint, 0);
    // Each change is kept at once: a crash or a kill of KV2 now would not lose it.
    EXPECT_EQ(scenario.OptionOnceSaved(u"IconPanel_Size", u"3"), u"3");
    EXPECT_EQ(scenario.OptionOnceSaved(u"IconPanel_Hint", u"0"), u"0");
    scenario.Command(controller::kPPKV2Close);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(10s), 0u);
    EXPECT_EQ(scenario.Option(u"IconPanel_Left"), u"321");
    EXPECT_EQ(scenario.Option(u"IconPanel_Top"), u"123");
    EXPECT_EQ(scenario.Option(u"IconPanel_Size"), u"3");
    EXPECT_EQ(scenario.Option(u"IconPanel_Hint"), u"0");
    EXPECT_EQ(scenario.Option(u"IconPanel_MostTop"), u"0");
    EXPECT_EQ(scenario.Option(u"Display"), u"1");
}

TEST(Panel, HalfTransparentUntilTheMouseComes)
{
    Scenario scenario(
        "[Tray Option]\r\nDisplay=2\r\nIconPanel_Trans=1\r\nIconPanel_Left=300\r\nIconPanel_Top=300\r\n");
    scenario.Start();
    HWND panel = WaitForPanel(scenario, true);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return IsLayeredAtHalf(panel); }, 10s));
    // The mouse over the icon: opaque; gone (the cursor far away): half again.
    SetCursorPos(5, 5);
    PostMessageW(ImageOf(panel), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(WaitUntil([&] { return !IsLayeredAtHalf(panel); }, 10s));
    PostMessageW(ImageOf(panel), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsLayeredAtHalf(panel); }, 10s));
    // "半透明" off: opaque, and the mouse changes nothing.
    PostMessageW(panel, WM_COMMAND, ui::kPPPanelTrans, 0);
    EXPECT_TRUE(WaitUntil([&] { return !(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_LAYERED); }, 10s));
    PostMessageW(panel, WM_MOUSELEAVE, 0, 0);
    WaitUntil([] { return false; }, 300ms);
    EXPECT_FALSE(GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST(Panel, HintShowsEachNewTitleOnce)
{
    Scenario scenario(
        "[Tray Option]\r\nDisplay=1\r\nIconPanel_Hint=1\r\nIconPanel_Left=300\r\nIconPanel_Top=300\r\n");
    scenario.Start();
    HWND panel = WaitForPanel(scenario, true);
    ASSERT_NE(panel, nullptr);
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    const DWORD kv2 = scenario.Kv2Process().Id();
    // The first title pops up above the panel, and goes after 3 s; unchanged titles do not bring it back.
    HWND hint = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hint = VisibleHint(kv2)) != nullptr; }, 5s));
    RECT hintPlace{}, panelPlace{};
    GetWindowRect(hint, &hintPlace);
    GetWindowRect(panel, &panelPlace);
    EXPECT_EQ(hintPlace.left, panelPlace.left);
    EXPECT_EQ(hintPlace.bottom, panelPlace.top + common::ScaleForDpi(2, common::win::ScreenDpi()));
    EXPECT_TRUE(WaitUntil([&] { return VisibleHint(kv2) == nullptr; }, 5s));
    WaitUntil([] { return false; }, 1500ms);
    EXPECT_EQ(VisibleHint(kv2), nullptr);
    // A new title shows it again.
    SetWindowTextW(target, L"新しい題名");
    EXPECT_TRUE(WaitUntil([&] { return VisibleHint(kv2) != nullptr; }, 10s));
}

TEST(Panel, ClicksOnTheIconActivateTheTargetInTheChosenMode)
{
    for (const bool doubleClickMode : {true, false})
    {
        Scenario scenario(std::string("[Tray Option]\r\nDisplay=2\r\nMinimize=1\r\nClick=") +
                          (doubleClickMode ? "1" : "0") + "\r\nIconPanel_Left=300\r\nIconPanel_Top=300\r\n");
        scenario.Start();
        HWND panel = WaitForPanel(scenario, true);
        ASSERT_NE(panel, nullptr);
        HWND target = scenario.WaitForTarget();
        ASSERT_NE(target, nullptr);
        ShowWindow(target, SW_MINIMIZE);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(target); }, 5s));
        if (doubleClickMode)
        {
            // A single click does nothing.
            Click(ImageOf(panel), false);
            WaitUntil([] { return false; }, 700ms);
            EXPECT_FALSE(IsWindowVisible(target));
        }
        Click(ImageOf(panel), doubleClickMode);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target) && !IsIconic(target); }, 5s))
            << doubleClickMode;
    }
}

TEST(Panel, DisplayModesShowAndHideThePanel)
{
    Scenario scenario("[Tray Option]\r\nDisplay=0\r\nIconPanel_Left=300\r\nIconPanel_Top=300\r\n");
    scenario.Start();
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    EXPECT_TRUE(TrayIconShown(scenario.Kv2Process().Id()));
    // A panel never shown is never made.
    EXPECT_EQ(FindWindowW(L"TPanelForm", nullptr), nullptr);
    HWND panel = nullptr;
    const std::tuple<int, bool, bool> modes[] = {
        {1, true, false}, {0, false, true}, {2, true, true}, {0, false, true}};
    for (const auto &[mode, panelShown, trayShown] : modes)
    {
        scenario.Command(controller::kPPDisplay0 + static_cast<unsigned>(mode));
        if (panel == nullptr)
        {
            panel = WaitForPanel(scenario, true);
            ASSERT_NE(panel, nullptr) << mode;
        }
        EXPECT_TRUE(WaitUntil([&] { return (IsWindowVisible(panel) != FALSE) == panelShown; }, 10s)) << mode;
        EXPECT_TRUE(WaitUntil([&] { return TrayIconShown(scenario.Kv2Process().Id()) == trayShown; }, 10s))
            << mode;
        const std::u16string stored = common::Utf8ToUtf16(std::to_string(mode));
        EXPECT_EQ(scenario.OptionOnceSaved(u"Display", stored), stored);
    }
}
