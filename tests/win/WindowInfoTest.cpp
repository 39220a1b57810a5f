// Identifying and acting on real windows of other processes.
#include "WinTestSupport.h"

#include "common/win/FileSystem.h"
#include "common/win/SystemLibrary.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/ProgramWindows.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;

namespace
{

using RunningTarget = FixtureTarget;

std::u16string ExpectedTargetPath()
{
    return common::win::GetTrueCasePath(BinFolder() + u"\\KV2Target.exe");
}

} // namespace

TEST(GetWndInfo, NamesAVisibleWindowWithText)
{
    RunningTarget target(u"--title \"情報  \" --class KV2InfoWindow", L"KV2InfoWindow");
    ASSERT_NE(target.Window(), nullptr);
    const procwin::WndInfo info = procwin::GetWndInfo(target.Window());
    EXPECT_EQ(info.title, u"情報"); // trailing blanks removed
    EXPECT_EQ(info.className, u"KV2InfoWindow");
    EXPECT_EQ(info.exePath, ExpectedTargetPath());
    EXPECT_TRUE(procwin::IsSameProgram(info.exePath, u"c:\\elsewhere\\KV2TARGET.EXE"));
}

TEST(GetWndInfo, HiddenUntitledAndVanishedWindowsGiveNothing)
{
    HWND hidden =
        CreateWindowExW(0, L"STATIC", L"hidden", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND untitled = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    HWND gone = CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    DestroyWindow(gone);
    for (HWND window : {static_cast<HWND>(nullptr), hidden, untitled, gone})
    {
        const procwin::WndInfo info = procwin::GetWndInfo(window);
        EXPECT_TRUE(info.title.empty() && info.className.empty() && info.exePath.empty());
    }
    DestroyWindow(hidden);
    DestroyWindow(untitled);
}

TEST(WindowText, ReadsAWholeLongTitleOfAnotherProcess)
{
    const std::u16string title = u"長い" + std::u16string(400, u'x') + u"終";
    RunningTarget target(u"--title \"" + title + u"\"");
    ASSERT_NE(target.Window(), nullptr);
    EXPECT_EQ(procwin::WindowText(target.Window()), title);
    EXPECT_EQ(procwin::GetWndInfo(target.Window()).title, title.substr(0, 259));
    EXPECT_EQ(procwin::ProcessIdOf(target.Window()), target.Id());
    HWND gone =
        CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(procwin::WindowText(gone), u"");
    EXPECT_EQ(procwin::ProcessIdOf(gone), 0u);
}

TEST(TopLevelWindows, FollowTheZOrder)
{
    const auto popup = [] {
        return CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"z", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                               nullptr, nullptr, nullptr, nullptr);
    };
    const HWND first = popup();
    const HWND second = popup();
    for (const HWND top : {first, second, first})
    {
        SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        const std::vector<HWND> windows = procwin::TopLevelWindows();
        std::vector<HWND> walked;
        for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
            walked.push_back(w);
        EXPECT_EQ(windows, walked); // the same windows as the walk from the desktop's first child
        const auto at = [&](HWND w) {
            return std::find(windows.begin(), windows.end(), w) - windows.begin();
        };
        EXPECT_LT(at(top), at(top == first ? second : first));
    }
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST(GetWndExePath, WineNotepadComesBackInDriveLetterForm)
{
    // With redirection on, a 32-bit test would start the 32-bit notepad of syswow64; KV2 launches with
    // it off, so the program in the system folder is the one named.
    procwin::Wow64Init();
    std::optional<Process> started;
    {
        procwin::Wow64Redirection redirectionOff;
        started.emplace(u"C:\\windows\\system32\\notepad.exe", u"");
    }
    Process &notepad = *started;
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND w : ProcessWindows(notepad.Id()))
                if (IsWindowVisible(w) && GetWindow(w, GW_OWNER) == nullptr)
                    return (window = w) != nullptr;
            return false;
        },
        20s));
    const std::u16string path = procwin::GetWndExePath(window);
    EXPECT_TRUE(common::EqualsNoCase(path, u"C:\\windows\\system32\\notepad.exe"))
        << common::Utf16ToUtf8(path);
    const procwin::WndInfo info = procwin::GetWndInfo(window);
    EXPECT_EQ(procwin::FileNameOf(info.exePath), u"notepad.exe");
}

TEST(GetWndExePath, AWindowOfThisProgramGivesItsOwnPath)
{
    const HWND window =
        CreateWindowExW(0, L"STATIC", L"own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const std::u16string path = procwin::GetWndExePath(window);
    DestroyWindow(window);
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    EXPECT_TRUE(common::EqualsNoCase(path, U(own))) << common::Utf16ToUtf8(path);
    EXPECT_EQ(procwin::GetWndExePath(nullptr), u"");
}

TEST(RootWnd, ClimbsParentsAndOwners)
{
    RunningTarget target(u"--tapplication --title rooted");
    ASSERT_NE(target.Window(), nullptr);
    const HWND root = procwin::RootWnd(target.Window());
    wchar_t name[64] = {};
    GetClassNameW(root, name, 64);
    EXPECT_STREQ(name, L"TApplication");
    EXPECT_EQ(procwin::RootWnd(root), root);
}

TEST(GetWndRect, MinimizedWindowIsParkedAndReportsFailure)
{
    RunningTarget target(u"--show 7");
    ASSERT_NE(target.Window(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(target.Window()) != FALSE; }, 20s));
    EXPECT_EQ(procwin::GetWndRect(target.Window()), std::nullopt);
    EXPECT_EQ(procwin::GetWndBounds(target.Window()), std::nullopt);
    procwin::CenterIfOffScreen(target.Window()); // left alone
    EXPECT_TRUE(IsIconic(target.Window()));
}

TEST(CenterIfOffScreen, BringsAWindowBackOntoTheScreen)
{
    RunningTarget target(u"--title faraway");
    ASSERT_NE(target.Window(), nullptr);
    ASSERT_TRUE(MoveWindow(target.Window(), 5000, 4000, 300, 200, TRUE));
    const auto before = procwin::GetWndBounds(target.Window());
    ASSERT_TRUE(before.has_value());
    EXPECT_TRUE(procwin::IsOffScreen(*before));
    procwin::CenterIfOffScreen(target.Window());
    const auto after = procwin::GetWndBounds(target.Window());
    ASSERT_TRUE(after.has_value());
    EXPECT_FALSE(procwin::IsOffScreen(*after));
    EXPECT_EQ(after->width, 300);
    EXPECT_EQ(after->height, 200);
    // Centred horizontally on the primary screen (the taskbar at the bottom changes only the height).
    EXPECT_EQ(after->left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);

    // A window already on screen stays where it is.
    procwin::CenterIfOffScreen(target.Window());
    EXPECT_EQ(procwin::GetWndBounds(target.Window()), after);
}

TEST(IsOffScreen, AgainstTheRealMonitor)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_FALSE(procwin::IsOffScreen({10, 10, 100, 100}));
    EXPECT_FALSE(procwin::IsOffScreen({width - 10, height - 10, 100, 100})); // one corner on screen
    EXPECT_TRUE(procwin::IsOffScreen({width + 10, 10, 100, 100}));
    EXPECT_TRUE(procwin::IsOffScreen({-32000, -32000, 160, 24}));
}

TEST(WndPriority, SetAndReadBackFromTheRealProcess)
{
    RunningTarget target(u"");
    ASSERT_NE(target.Window(), nullptr);
    for (DWORD priority : {IDLE_PRIORITY_CLASS, BELOW_NORMAL_PRIORITY_CLASS, ABOVE_NORMAL_PRIORITY_CLASS,
                           HIGH_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS})
    {
        EXPECT_EQ(procwin::SetWndPriority(target.Window(), priority), priority);
        EXPECT_EQ(procwin::GetWndPriority(target.Window()), priority);
    }
    EXPECT_EQ(procwin::GetWndPriority(nullptr), 0u);
    EXPECT_EQ(procwin::SetWndPriority(nullptr, HIGH_PRIORITY_CLASS), 0u);
}

TEST(ProcessIdentity, OnlyTheProcessSeenEarlierIsEnded)
{
    RunningTarget target(u"");
    ASSERT_NE(target.Window(), nullptr);
    const procwin::ProcessIdentity seen = procwin::WindowProcessIdentity(target.Window());
    ASSERT_NE(seen.id, 0u);
    ASSERT_NE(seen.created, 0u);
    // The same id with another creation time: a later process that was given the id of an ended one.
    const procwin::ProcessIdentity reused{seen.id, seen.created + 1};
    const procwin::ProcessIdentity stale[] = {{}, {seen.id, 0}, reused};
    for (const procwin::ProcessIdentity &identity : stale)
        EXPECT_FALSE(procwin::TerminateIdentifiedProcess(identity));
    EXPECT_TRUE(IsWindow(target.Window()));
    EXPECT_TRUE(procwin::TerminateIdentifiedProcess(seen));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(target.Window()); }, 10s));
    EXPECT_FALSE(procwin::TerminateIdentifiedProcess(seen));
}

TEST(ProcessIdentity, ARunningProcessIsToldFromAnEndedOneAndFromALaterOneOfTheSameId)
{
    RunningTarget target(u"");
    ASSERT_NE(target.Window(), nullptr);
    const procwin::ProcessIdentity seen = procwin::WindowProcessIdentity(target.Window());
    EXPECT_TRUE(procwin::IsRunning(seen));
    EXPECT_FALSE(procwin::IsRunning({seen.id, seen.created + 1}));
    // Programs of the same user and rights: their windows are this program's to change.
    EXPECT_FALSE(procwin::RunsWithHigherRights(seen.id));
    EXPECT_FALSE(procwin::RunsWithHigherRights(GetCurrentProcessId()));
    ASSERT_TRUE(procwin::TerminateIdentifiedProcess(seen));
    EXPECT_TRUE(WaitUntil([&] { return !procwin::IsRunning(seen); }, 10s));
}

TEST(ForceForeground, BringsAnotherProcessWindowToFront)
{
    RunningTarget first(u"--title first");
    RunningTarget second(u"--title second");
    ASSERT_NE(first.Window(), nullptr);
    ASSERT_NE(second.Window(), nullptr);
    EXPECT_TRUE(procwin::ForceForeground(first.Window()));
    EXPECT_EQ(GetForegroundWindow(), first.Window());
    EXPECT_TRUE(procwin::ForceForeground(first.Window())); // already in front
    EXPECT_TRUE(procwin::ForceForeground(second.Window()));
    EXPECT_EQ(GetForegroundWindow(), second.Window());
}

TEST(FitListBoxExtent, TwiceTheWidestItem)
{
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 100,
                                100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    const wchar_t *items[] = {L"short", L"a considerably longer line of text", L"mid length"};
    for (const wchar_t *item : items)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    procwin::FitListBoxExtent(list);

    HDC dc = GetDC(list);
    const HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE widest{};
    GetTextExtentPoint32W(dc, items[1], lstrlenW(items[1]), &widest);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    EXPECT_EQ(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), 2 * widest.cx);
    DestroyWindow(list);
}

// Windows loads no library while a 32-bit program has redirection off (the system folder then names
// the 64-bit one), and keeps the failure: a program would never again be identified. What runs inside
// the bracket (identifying programs and their windows) loads nothing; its own suite, so that it is the
// process's first look at a program.
TEST(RedirectionOff, IdentifyingProgramsLoadsNoLibrary)
{
    procwin::Wow64Init();
    FixtureTarget target(u"--title \"identified\"");
    ASSERT_NE(target.Window(), nullptr);
    const unsigned before = common::win::LoadsWithRedirectionOff();
    procwin::WndInfo info;
    {
        procwin::Wow64Redirection redirectionOff;
        info = procwin::GetWndInfo(target.Window());
        (void)procwin::ProgramWindows(u"kv2target.exe");
    }
    EXPECT_EQ(common::win::LoadsWithRedirectionOff(), before);
    EXPECT_EQ(procwin::FileNameOf(info.exePath), u"KV2Target.exe");
}
