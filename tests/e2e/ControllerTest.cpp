// The controller beside a real target: start and attachment, the monitor, the menu commands and the
// lifecycle flows, driven through the controller's own messages.
#include "Kv2Scenario.h"

#include "common/IniDocument.h"
#include "common/win/TextFile.h"
#include "controller/MenuModel.h"
#include "procwin/win/WindowInfo.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace e2e;
using namespace wintest;
using namespace controller;

namespace
{

// Minimizes the target as the user does and waits until KV2 has hidden it in the tray.
bool MinimizedIntoTheTray(HWND target)
{
    ShowWindow(target, SW_MINIMIZE);
    return WaitUntil([&] { return !IsWindowVisible(target); }, 5s);
}

} // namespace

TEST(Controller, AttachesTheTargetWithItsOptions)
{
    Scenario scenario("[Tray Option]\r\nTransValue=50\r\nMostTop=1\r\nPositionSize=1\r\n"
                      "X=40\r\nY=30\r\nW=420\r\nH=310\r\n");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    EXPECT_NEAR(TransPercent(target), 50, 1);
    EXPECT_TRUE(IsTopMost(target));
    RECT place{};
    GetWindowRect(target, &place);
    EXPECT_EQ(place.left, 40);
    EXPECT_EQ(place.top, 30);
    EXPECT_EQ(place.right - place.left, 420);
    EXPECT_EQ(place.bottom - place.top, 310);

    // A move by the user is remembered on the next tick and saved when KV2 closes; the target stays.
    MoveWindow(target, 60, 50, 400, 300, TRUE);
    WaitUntil([] { return false; }, 1200ms);
    PostMessageW(scenario.Controller(), WM_CLOSE, 0, 0);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(20s), 0u);
    EXPECT_TRUE(IsWindow(target));
    EXPECT_EQ(scenario.Option(u"X"), u"60");
    EXPECT_EQ(scenario.Option(u"Y"), u"50");
    EXPECT_EQ(scenario.Option(u"W"), u"400");
    EXPECT_EQ(scenario.Option(u"Monitors"), procwin::FormatMonitorLayout(procwin::CurrentMonitors()))
        << "the monitors the place was taken on";
    EXPECT_EQ(scenario.Option(u"TransValue"), u"50");
}

TEST(Controller, StartsByOptionsAndKeepsTheOptionsInTheSharedFile)
{
    EndProcessesNamed(u"KV2Target.exe");
    const std::u16string title = u"KV2 Options Target";
    Process kv2(Kv2(), u"/e:" + Quoted(TargetProgram()) + u" /o:\"--title \\\"" + title + u"\\\"\"");
    HWND controller = WaitForController(kv2, TargetProgram());
    ASSERT_NE(controller, nullptr);
    HWND target = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (target = FindWindowW(L"KV2TargetWindow", nullptr)) != nullptr; }, 20s));
    WaitUntil([] { return false; }, 1200ms);
    PostMessageW(controller, WM_COMMAND, kPPMostTop, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 5s));
    PostMessageW(controller, WM_CLOSE, 0, 0);
    EXPECT_EQ(kv2.WaitForExit(20s), 0u);
    common::win::StringList lines;
    common::win::LoadTextFile(lines, DataFolder() + u"exe.ini", common::TextEncoding::Ansi);
    const common::IniDocument file = common::IniDocument::Parse(common::JoinLines(lines));
    EXPECT_EQ(file.Get(common::ToLower(TargetProgram()), u"MostTop", u""), u"1");
    EndProcessesNamed(u"KV2Target.exe");
}

TEST(Controller, ResidentModeDecidesWhetherKv2OutlivesItsTarget)
{
    {
        Scenario scenario("[Tray Option]\r\nLive=0\r\n", "--exit-after 2500");
        scenario.Start();
        ASSERT_NE(scenario.WaitForTarget(), nullptr);
        // The target ends by itself: KV2 follows within a tick and saves its options.
        EXPECT_EQ(scenario.Kv2Process().WaitForExit(10s), 0u);
        EXPECT_EQ(scenario.Option(u"Live"), u"0");
        EXPECT_NE(scenario.Option(u"W"), u"0");
    }
    {
        Scenario scenario("[Tray Option]\r\nLive=1\r\n", "--exit-after 2500");
        scenario.Start();
        HWND first = scenario.WaitForTarget();
        ASSERT_NE(first, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }, 10s));
        EXPECT_EQ(scenario.Kv2Process().WaitForExit(2s), static_cast<DWORD>(STILL_ACTIVE));
        // "起動/表示" starts it again.
        scenario.Command(kPPAct);
        HWND second = scenario.WaitForTarget();
        EXPECT_NE(second, nullptr);
        EXPECT_NE(second, first);
    }
}

TEST(Controller, WithoutResidentModeASlowStartAndARestartKeepKv2)
{
    // The window comes 3 s after the start: KV2 does not end while it is still starting its target.
    Scenario scenario("[Tray Option]\r\nLive=0\r\n", "--delay 3000");
    scenario.Start();
    HWND first = scenario.WaitForTarget(20s);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
    // "再起動": the old target goes, a new one comes, and KV2 manages it.
    const DWORD firstProcess = ProcessOf(first);
    scenario.Command(kPPReStart);
    EXPECT_TRUE(ProcessEnded(firstProcess, 10s));
    HWND second = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            second = scenario.FindTarget();
            return second != nullptr && second != first && IsWindowVisible(second);
        },
        20s));
    WaitUntil([] { return false; }, 1200ms);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
    // Then the target ends by itself: so does KV2.
    PostMessageW(second, WM_CLOSE, 0, 0);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(10s), 0u);
}

TEST(Controller, SecondStartHandsOverOnlyWithNoDoubleStart)
{
    {
        Scenario scenario("[Tray Option]\r\nWExecute=1\r\n");
        scenario.Start();
        HWND target = scenario.WaitForTarget();
        ASSERT_NE(target, nullptr);
        Process second(Kv2(), Quoted(scenario.TaskFile()));
        // Hands over and ends about a second later, without a controller of its own.
        EXPECT_EQ(second.WaitForExit(10s), 0u);
        EXPECT_EQ(scenario.Kv2Process().WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
        // The running KV2 answers at once and brings its target forward afterwards.
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target; }, 10s));
        int targets = 0;
        for (HWND window = FindWindowW(L"KV2TargetWindow", W(scenario.Title())); window != nullptr;
             window = FindWindowExW(nullptr, window, L"KV2TargetWindow", W(scenario.Title())))
            ++targets;
        EXPECT_EQ(targets, 1);
    }
    {
        Scenario scenario("[Tray Option]\r\nWExecute=0\r\n");
        scenario.Start();
        ASSERT_NE(scenario.WaitForTarget(), nullptr);
        Process second(Kv2(), Quoted(scenario.TaskFile()));
        // The second instance finds the running copy and asks whether to manage it: no, start another.
        HWND box = nullptr;
        const auto question = WaitForMessageBox(second.Id(), box, 20s);
        ASSERT_TRUE(question.has_value());
        EXPECT_EQ(question->text,
                  TargetProgram() + u"の\r\n実行を検出しました。\r\n処理対象を修正しますか？");
        EXPECT_EQ(question->buttons, (std::vector<int>{IDYES, IDNO}));
        // Asked beside its tray icon, through which the user knows whose question it is.
        EXPECT_TRUE(TrayIconShown(second.Id()));
        PostMessageW(box, WM_COMMAND, IDNO, 0);
        int targets = 0;
        WaitUntil(
            [&] {
                targets = 0;
                for (HWND window = FindWindowW(L"KV2TargetWindow", W(scenario.Title())); window != nullptr;
                     window = FindWindowExW(nullptr, window, L"KV2TargetWindow", W(scenario.Title())))
                    targets += IsWindowVisible(window) ? 1 : 0;
                return targets == 2;
            },
            20s);
        EXPECT_EQ(targets, 2);
        EXPECT_EQ(second.WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
    }
}

TEST(Controller, AHandOverThatIsNotAnsweredIsRecorded)
{
    Scenario scenario("[Tray Option]\r\nWExecute=1\r\n");
    DeleteFileW(W(ErrorLog()));
    // A "running instance" whose thread has stopped answering: a controller window of its own class
    // and caption on a thread that never reads its messages again.
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::wstring caption = L"KV2-" + std::wstring(W(TargetProgram()));
    std::thread stuck([&] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TmainForm";
        RegisterClassW(&windowClass);
        HWND window = CreateWindowExW(0, L"TmainForm", caption.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                      nullptr, windowClass.hInstance, nullptr);
        SetEvent(created);
        WaitForSingleObject(release, 60000);
        DestroyWindow(window);
        UnregisterClassW(L"TmainForm", windowClass.hInstance);
    });
    WaitForSingleObject(created, 10000);
    Process second(Kv2(), Quoted(scenario.TaskFile()));
    EXPECT_EQ(second.WaitForExit(30s), 0u);
    SetEvent(release);
    stuck.join();
    CloseHandle(created);
    CloseHandle(release);
    const std::u16string log = ErrorLogText();
    EXPECT_NE(log.find(TargetProgram() + u"を管理している実行中のKV2が応答しませんでした。"),
              std::u16string::npos)
        << common::Utf16ToUtf8(log);
}

TEST(Controller, MalformedHandOverMessagesAreIgnored)
{
    Scenario scenario;
    scenario.Start();
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    char16_t noTerminator[] = {u'a', u'b'};
    char odd[] = "abc";
    struct Case
    {
        const char *context;
        void *data;
        DWORD size;
    } cases[] = {
        {"null data with a size", nullptr, 100},
        {"odd size", odd, 3},
        {"zero size", odd, 0},
        {"no terminator", noTerminator, sizeof(noTerminator)},
    };
    for (const Case &entry : cases)
    {
        COPYDATASTRUCT data{};
        data.dwData = 1;
        data.cbData = entry.size;
        data.lpData = entry.data;
        DWORD_PTR result = 0;
        EXPECT_NE(SendMessageTimeoutW(scenario.Controller(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                      SMTO_ABORTIFHUNG, 5000, &result),
                  0)
            << entry.context;
        EXPECT_EQ(scenario.Kv2Process().WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE)) << entry.context;
    }
    // Still responsive.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(scenario.Controller(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result), 0);
}

TEST(Controller, MinimizedTargetGoesToTheTrayAndComesBack)
{
    Scenario scenario("[Tray Option]\r\nMinimize=1\r\n[HotKey]\r\nShow=Ctrl+Alt+F9\r\n");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(MinimizedIntoTheTray(target));

    // Back by a double click on the tray icon, as the shell reports it.
    HWND trayHandler = WaitForWindow(scenario.Kv2Process().Id(), L"KV2TrayIconHandler", u"", 5s);
    ASSERT_NE(trayHandler, nullptr);
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageW(trayHandler, 0x800, 1, mouse);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target) && !IsIconic(target); }, 5s));

    // Again, and back by "起動/表示".
    ASSERT_TRUE(MinimizedIntoTheTray(target));
    scenario.Command(kPPAct);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target) && !IsIconic(target); }, 5s));

    // Again, and back by the hot key.
    ASSERT_TRUE(MinimizedIntoTheTray(target));
    INPUT keys[6] = {};
    const WORD codes[3] = {VK_CONTROL, VK_MENU, VK_F9};
    for (int i = 0; i < 3; ++i)
    {
        keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = keys[5 - i].ki.wVk = codes[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, keys, sizeof(INPUT));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target) && !IsIconic(target); }, 5s));

    // Closing KV2 never leaves the target hidden.
    ASSERT_TRUE(MinimizedIntoTheTray(target));
    scenario.Command(kPPKV2Close);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(10s), 0u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target); }, 10s)); // shown by a posted request
}

TEST(Controller, FixedCaptionAndTopmostComeBackWithinATick)
{
    // No change events (as every program under Wine): the monitor's tick finds what the target reset.
    Scenario scenario("[Tray Option]\r\nCaption=1\r\nEdit=固定された題名\r\nMostTop=1\r\n",
                      "--retitle 1500 --drop-topmost 1100");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(target) == u"固定された題名"; }, 5s));
    // The target keeps renaming itself and leaving the topmost band; each time both come back, without
    // a command (how soon, a tick, is measured by the controller bench: a loaded machine may delay it).
    for (int round = 0; round < 3; ++round)
    {
        ASSERT_TRUE(WaitUntil([&] { return WindowText(target) != u"固定された題名"; }, 5s)) << round;
        EXPECT_TRUE(WaitUntil([&] { return WindowText(target) == u"固定された題名"; }, 5s)) << round;
        ASSERT_TRUE(WaitUntil([&] { return !IsTopMost(target); }, 5s)) << round;
        EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 5s)) << round;
    }

    // "デフォルト" brings back the title the target had when it was attached; the target stops renaming
    // itself first, or it could rename itself again before the title is seen.
    DWORD_PTR settled = 0;
    ASSERT_NE(SendMessageTimeoutW(target, WM_APP + 2, 0, 0, SMTO_NORMAL, 10000, &settled), 0);
    scenario.Command(kPPDefault);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(target) == scenario.Title(); }, 10s));
    EXPECT_EQ(scenario.OptionOnceSaved(u"Edit", scenario.Title()), scenario.Title());
}

TEST(Controller, TranslucencyTopmostAndTaskbarCommands)
{
    Scenario scenario;
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    // 50% (tag 9), then 100% removes the layered style; each choice is stored at once.
    scenario.Command(kPPTrans10 - 1 + 9);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(TransPercent(target) - 50) <= 1; }, 10s));
    EXPECT_EQ(scenario.OptionOnceSaved(u"TransValue", u"50"), u"50");
    scenario.Command(kPPTrans100);
    EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongW(target, GWL_EXSTYLE) & WS_EX_LAYERED) == 0; }, 10s));
    EXPECT_EQ(scenario.OptionOnceSaved(u"TransValue", u"100"), u"100");

    scenario.Command(kPPMostTop);
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 10s));
    scenario.Command(kPPMostTop);
    EXPECT_TRUE(WaitUntil([&] { return !IsTopMost(target); }, 10s));
    EXPECT_EQ(scenario.OptionOnceSaved(u"MostTop", u"0"), u"0");

    scenario.Command(kPPNonTaskBar);
    EXPECT_EQ(scenario.OptionOnceSaved(u"NonTaskBar", u"1"), u"1");

    // Priority: "高" raises the target's process class.
    scenario.Command(kPPPriority0 + 2);
    common::win::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ProcessOf(target)));
    EXPECT_TRUE(WaitUntil([&] { return GetPriorityClass(process.Get()) == HIGH_PRIORITY_CLASS; }, 10s));
}

TEST(Controller, CloseWaitsForTheTargetsOwnQuestion)
{
    Scenario scenario("", "--confirm-close");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    const DWORD targetProcess = ProcessOf(target);
    scenario.Command(kPPExit);
    // The target asks; KV2 waits for the answer without asking anything itself.
    HWND question = WaitForWindow(targetProcess, L"#32770", scenario.Title(), 10s);
    ASSERT_NE(question, nullptr);
    WaitUntil([] { return false; }, 1500ms);
    EXPECT_EQ(FindWindowW(L"#32770", W(kMessageCaption)), nullptr);
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(ProcessEnded(targetProcess, 10s));
    WaitUntil([] { return false; }, 1500ms);
    EXPECT_EQ(FindWindowW(L"#32770", W(kMessageCaption)), nullptr);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
}

TEST(Controller, RestartAndForceTerminate)
{
    Scenario scenario;
    scenario.Start();
    HWND first = scenario.WaitForTarget();
    ASSERT_NE(first, nullptr);
    const DWORD firstProcess = ProcessOf(first);
    scenario.Command(kPPReStart);
    EXPECT_TRUE(ProcessEnded(firstProcess, 10s));
    HWND second = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            second = scenario.FindTarget();
            return second != nullptr && second != first && IsWindowVisible(second);
        },
        20s));
    WaitUntil([] { return false; }, 1200ms);
    const DWORD secondProcess = ProcessOf(second);
    EXPECT_NE(secondProcess, firstProcess);

    // "強制終了" ends the process without asking.
    scenario.Command(kPPTERMINATE);
    EXPECT_TRUE(ProcessEnded(secondProcess, 10s));
    EXPECT_EQ(FindWindowW(L"#32770", W(kMessageCaption)), nullptr);
}

TEST(Controller, QuitDuringTheWindowSearchEndsAtOnce)
{
    // The window appears only after 30 s: KV2 is still searching when the user quits.
    Scenario scenario("", "--delay 30000");
    scenario.Start();
    WaitUntil([] { return false; }, 2000ms);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
    scenario.Command(kPPClose);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(5s), 0u);
    EXPECT_EQ(FindWindowW(L"#32770", W(kMessageCaption)), nullptr);
}

// KV2.exe here is the release program (whole-program optimised, with the C++ library's throw stand-ins):
// the launch error is thrown and caught inside it, and the program ends normally.
TEST(Controller, LaunchErrorIsLoggedNotShown)
{
    TempFolder temp;
    // A file with a program's name that is no program: the launch fails.
    const std::u16string fake = temp / u"偽物.exe";
    const std::u16string taskFile = WriteBrokenTaskFile(temp, u"偽物.exe", u"broken.KV2");
    DeleteFileW(W(ErrorLog()));

    Process kv2(Kv2(), Quoted(taskFile));
    // Nothing is shown; without resident mode KV2 ends on the next tick.
    EXPECT_EQ(kv2.WaitForExit(20s), 0u);
    common::win::StringList lines;
    common::win::LoadTextFile(lines, ErrorLog(), common::TextEncoding::Ansi);
    ASSERT_EQ(lines.size(), 1u);
    const std::u16string expected = fake + u"を起動できません。";
    EXPECT_EQ(lines[0].substr(lines[0].size() - std::min(lines[0].size(), expected.size())), expected);
    EXPECT_NE(lines[0].find(u" : "), std::u16string::npos);

    // A second error goes below the first.
    Process again(Kv2(), Quoted(taskFile));
    EXPECT_EQ(again.WaitForExit(20s), 0u);
    common::win::LoadTextFile(lines, ErrorLog(), common::TextEncoding::Ansi);
    EXPECT_EQ(lines.size(), 2u);
}

TEST(Controller, SessionEndClosesTheTargetAndKv2)
{
    Scenario scenario("[Tray Option]\r\nMinimize=1\r\n");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    const DWORD targetProcess = ProcessOf(target);
    DWORD_PTR answer = 0;
    ASSERT_NE(
        SendMessageTimeoutW(scenario.Controller(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer),
        0);
    EXPECT_EQ(answer, 1u);
    SendMessageTimeoutW(scenario.Controller(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 20000, &answer);
    EXPECT_TRUE(ProcessEnded(targetProcess, 10s));
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(10s), 0u);
}

TEST(Controller, ACancelledSessionEndLeavesTheTargetAndKv2Running)
{
    Scenario scenario("[Tray Option]\r\nMinimize=1\r\n");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(MinimizedIntoTheTray(target));
    DWORD_PTR answer = 0;
    ASSERT_NE(
        SendMessageTimeoutW(scenario.Controller(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer),
        0);
    EXPECT_EQ(answer, 1u);
    // The query shows the hidden target, in case the session does end.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target); }, 5s));
    // Another program refused: the session goes on.
    SendMessageTimeoutW(scenario.Controller(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 20000, &answer);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(2s), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(IsWindow(target));
    EXPECT_TRUE(TrayIconShown(scenario.Kv2Process().Id()));
    scenario.Command(kPPMostTop);
    EXPECT_EQ(scenario.OptionOnceSaved(u"MostTop", u"1"), u"1");
}

TEST(Controller, CrashOfKv2ShowsTheHiddenTargetAgain)
{
    Scenario scenario("[Tray Option]\r\nMinimize=1\r\n");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(MinimizedIntoTheTray(target));
    // A thread that starts at an address with no code: an access violation nothing in KV2 catches.
    common::win::UniqueHandle thread(CreateRemoteThread(scenario.Kv2Process().Handle(), nullptr, 0,
                                                        reinterpret_cast<LPTHREAD_START_ROUTINE>(0x10),
                                                        nullptr, 0, nullptr));
    ASSERT_TRUE(thread);
    EXPECT_NE(scenario.Kv2Process().WaitForExit(20s), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target); }, 5s));
}

TEST(Controller, AQuitFromAnotherProgramStillShowsTheHiddenTarget)
{
    Scenario scenario("[Tray Option]\r\nMinimize=1\r\n");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(MinimizedIntoTheTray(target));
    // The message loop ends without the close query.
    PostThreadMessageW(GetWindowThreadProcessId(scenario.Controller(), nullptr), WM_QUIT, 0, 0);
    EXPECT_NE(scenario.Kv2Process().WaitForExit(10s), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target); }, 5s));
}

TEST(Controller, AKv2EndedByForceLeavesItsTargetAsItWasOnceAnyKv2Starts)
{
    Scenario first("[Tray Option]\r\nMinimize=1\r\nTransValue=50\r\nMostTop=1\r\nNonTaskBar=1\r\n"
                   "Caption=1\r\nEdit=固定された題名\r\n");
    first.Start();
    HWND target = first.WaitForTarget();
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(target) == u"固定された題名" && IsTopMost(target); }, 10s));
    ASSERT_TRUE(MinimizedIntoTheTray(target));
    // Its record is in the local data folder, where window handles mean something.
    const std::u16string section =
        u"[Instance " + common::Utf8ToUtf16(std::to_string(first.Kv2Process().Id())) + u" ";
    const auto journalText = [] {
        common::win::StringList journal;
        common::win::LoadTextFile(journal, LocalDataFolder() + u"Restore.ini", common::TextEncoding::Ansi);
        return common::JoinLines(journal);
    };
    EXPECT_NE(journalText().find(section), std::u16string::npos);
    ASSERT_TRUE(TerminateProcess(first.Kv2Process().Handle(), 1));
    ASSERT_NE(first.Kv2Process().WaitForExit(10s), static_cast<DWORD>(STILL_ACTIVE));
    ASSERT_FALSE(IsWindowVisible(target));

    // Another KV2 on another task gives the orphan back what it had before the first KV2 touched it.
    // Its launch fails, and without resident mode it ends on the next tick: done with the orphan by then.
    Process second(Kv2(), Quoted(WriteBrokenTaskFile(first.Folder(), u"other.exe", u"other.KV2")));
    EXPECT_EQ(second.WaitForExit(30s), 0u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target); }, 10s)); // shown by a posted request
    EXPECT_EQ(TransPercent(target), 100);
    EXPECT_FALSE(IsTopMost(target));
    EXPECT_EQ(WindowText(target), first.Title());
    // Given back once: the record is gone, and the first target is no business of the second KV2.
    EXPECT_EQ(journalText().find(section), std::u16string::npos);
}

TEST(Controller, ProgramChangeQuestionForALauncherThatStartsAnotherCopy)
{
    TempFolder elsewhere;
    // The launcher has no window: it starts a copy of itself in another folder, which shows one.
    Scenario scenario("", "--copy-to \"" + common::Utf16ToUtf8(elsewhere.Path()) + "\" --title {title}");
    scenario.Start();
    HWND box = nullptr;
    const auto question = WaitForMessageBox(scenario.Kv2Process().Id(), box, 30s);
    ASSERT_TRUE(question.has_value());
    const std::u16string copy = elsewhere / u"KV2Target.exe";
    EXPECT_EQ(common::ToLower(question->text), common::ToLower(u"プログラムを\r\n" + TargetProgram() +
                                                               u"から\r\n" + copy + u"に\r\n変更しますか？"));
    EXPECT_EQ(question->buttons, (std::vector<int>{IDYES, IDNO}));
    // The answer finds the task file held open by another program for longer than one save waits.
    auto holder = HoldFile(scenario.TaskFile(), 1500);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    // The task file names the copy once it is free, and the copy's window is the target.
    EXPECT_TRUE(WaitUntil(
        [&] { return common::ToLower(scenario.TaskValue(u"Program", u"Name")) == common::ToLower(copy); },
        10s));
    EXPECT_EQ(holder->WaitForExit(20s), 0u);
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    scenario.Command(kPPMostTop);
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 10s));
}

TEST(Controller, APackagedProgramThatAStartHandsOverToIsTakenWithoutTheQuestion)
{
    // As Windows 11 starts the packaged Notepad for System32's: the launcher starts a copy of itself
    // in a "WindowsApps" folder and ends.
    TempFolder elsewhere;
    const std::u16string packaged = elsewhere / u"WindowsApps";
    ASSERT_TRUE(CreateDirectoryW(W(packaged), nullptr));
    Scenario scenario("", "--copy-to \"" + common::Utf16ToUtf8(packaged) + "\" --title {title}");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    scenario.Command(kPPMostTop); // attached: KV2 acts on it
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 10s));
    HWND box = nullptr;
    EXPECT_FALSE(WaitForMessageBox(scenario.Kv2Process().Id(), box, 1s).has_value());
    EXPECT_EQ(common::ToLower(scenario.TaskValue(u"Program", u"Name")), common::ToLower(TargetProgram()));
}

TEST(Controller, WheelClickMessagesTypeTheConfiguredKeys)
{
    TempFolder folder;
    const std::u16string log = folder / u"keys.log";
    Scenario scenario(
        "[Tray Option]\r\nWheelButton1=1\r\nWheelKey1=Ctrl+B\r\nWheelButton2=1\r\nWheelKey2=F9\r\n",
        "--keylog \"" + common::Utf16ToUtf8(log) + "\"");
    scenario.Start();
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    scenario.Command(kPPAct); // brings it to the front
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target; }, 5s));
    const std::pair<UINT, std::string> cases[] = {
        {0x465, "down 0x11|down 0x42|up 0x42|up 0x11|"},
        {0x466, "down 0x78|up 0x78|"},
    };
    std::string seen;
    for (const auto &[message, expected] : cases)
    {
        PostMessageW(scenario.Controller(), message, 0, 0);
        std::string lines;
        EXPECT_TRUE(WaitUntil(
            [&] {
                lines.clear();
                for (char ch : ReadBytes(log).substr(seen.size()))
                    lines += ch == '\n' ? '|' : ch;
                return lines.size() >= expected.size();
            },
            5s));
        EXPECT_EQ(lines, expected) << message;
        seen = ReadBytes(log);
    }

    // Another program in front: a wheel click handled now types nothing, into it or the target.
    const std::u16string otherLog = folder / u"other.log";
    Process other(TargetProgram(), u"--title \"KV2 Other Program\" --keylog " + Quoted(otherLog));
    HWND otherWindow = WaitForWindow(other.Id(), L"KV2TargetWindow", u"KV2 Other Program", 20s);
    ASSERT_NE(otherWindow, nullptr);
    SetForegroundWindow(otherWindow);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == otherWindow; }, 5s));
    PostMessageW(scenario.Controller(), 0x466, 0, 0);
    // Handled in order: once the next click's keys reach the target again, the one before is done.
    scenario.Command(kPPAct);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target; }, 5s));
    PostMessageW(scenario.Controller(), 0x465, 0, 0);
    EXPECT_TRUE(WaitUntil(
        [&] { return ReadBytes(log).substr(seen.size()).find("up 0x11") != std::string::npos; }, 5s));
    std::string after;
    for (char ch : ReadBytes(log).substr(seen.size()))
        after += ch == '\n' ? '|' : ch;
    EXPECT_EQ(after, "down 0x11|down 0x42|up 0x42|up 0x11|");
    EXPECT_EQ(ReadBytes(otherLog), "");
}

TEST(Controller, RetargetAdoptsACopyThatWasAlreadyRunning)
{
    Scenario scenario;
    // A copy of the program runs before KV2 starts.
    Process running(TargetProgram(), u"--title " + Quoted(scenario.Title()));
    HWND existing = WaitForWindow(running.Id(), L"KV2TargetWindow", scenario.Title(), 20s);
    ASSERT_NE(existing, nullptr);
    scenario.Start();
    HWND box = nullptr;
    const auto question = WaitForMessageBox(scenario.Kv2Process().Id(), box, 20s);
    ASSERT_TRUE(question.has_value());
    PostMessageW(box, WM_COMMAND, IDYES, 0);

    // The picker lists the copy; choosing it makes it the target, and nothing else is started.
    HWND picker = WaitForWindow(scenario.Kv2Process().Id(), L"TIRunFindForm", u"実行中のプログラム", 20s);
    ASSERT_NE(picker, nullptr);
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            list = FindWindowExW(picker, nullptr, L"ListBox", nullptr);
            return list != nullptr && IsWindowVisible(picker) && SendMessageW(list, LB_GETCOUNT, 0, 0) == 1;
        },
        10s));
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageW(list, mouse, mouse == WM_LBUTTONUP ? 0 : MK_LBUTTON, point);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(picker); }, 10s));
    WaitUntil([] { return false; }, 1200ms);
    scenario.Command(kPPMostTop);
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(existing); }, 5s));
    int targets = 0;
    for (HWND window = FindWindowW(L"KV2TargetWindow", nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, L"KV2TargetWindow", nullptr))
        ++targets;
    EXPECT_EQ(targets, 1);
    // "強制終了" acts on the adopted copy.
    scenario.Command(kPPTERMINATE);
    EXPECT_EQ(running.WaitForExit(10s), 0u);
}

TEST(Controller, TaskFileEditorStartsBesideKv2WithTheQuotedTaskFile)
{
    TempFolder folder;
    Scenario scenario;
    scenario.Start(ProgramInFolder(folder, Kv2(), true));
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    scenario.Command(kPPKV2File);
    // KV2C opened the task: its title names the task file.
    EXPECT_TRUE(WaitUntil([] { return FindWindowW(L"KV2CEditor", L"scenario.KV2 - KV2C") != nullptr; }, 10s));
    EndProcessesNamed(u"KV2C.exe");
}

TEST(Controller, WithoutTheTaskEditorTheTaskFileOpensInTheSystemsTextEditor)
{
    TempFolder folder;
    Scenario scenario;
    scenario.Start(ProgramInFolder(folder, Kv2(), false));
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    scenario.Command(kPPKV2File);
    HWND editor = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            editor = FindWindowW(L"Notepad", nullptr);
            return editor != nullptr && WindowText(editor).find(u"scenario") != std::u16string::npos;
        },
        10s));
    EndProcessesNamed(u"notepad.exe");
}

TEST(Controller, AnOptionFileHeldAtStartKeepsTheUsersValues)
{
    EndProcessesNamed(u"KV2Target.exe");
    DeleteFileW(W(ErrorLog()));
    CreateDirectoryW(W(RoamingAppData() + u"\\Orvane"), nullptr);
    CreateDirectoryW(W(DataFolder()), nullptr);
    const std::u16string exeIni = DataFolder() + u"exe.ini";
    const std::string section = common::Utf16ToUtf8(common::ToLower(TargetProgram()));
    WriteBytes(exeIni, Utf16File("[" + section + "]\r\nTransValue=70\r\nMostTop=1\r\nWheelKey1=F5\r\n"));
    // Held until KV2 has met it, however long a loaded machine takes to start KV2.
    auto holder = HoldFile(exeIni, 60000);
    Process kv2(Kv2(), u"/e:" + Quoted(TargetProgram()) + u" /o:\"--title \\\"KV2 Held Options\\\"\"");
    ASSERT_NE(WaitForController(kv2, TargetProgram()), nullptr);
    EXPECT_TRUE(
        WaitUntil([&] { return ErrorLogText().find(exeIni + u"を読み込めません") != std::u16string::npos; }, 20s));
    TerminateProcess(holder->Handle(), 0);
    EXPECT_EQ(holder->WaitForExit(20s), 0u);
    HWND controller = WaitForController(kv2, TargetProgram());
    PostMessageW(controller, WM_CLOSE, 0, 0);
    EXPECT_EQ(kv2.WaitForExit(20s), 0u);

    common::win::StringList lines;
    common::win::LoadTextFile(lines, exeIni, common::TextEncoding::Ansi);
    const common::IniDocument file = common::IniDocument::Parse(common::JoinLines(lines));
    const std::u16string program = common::ToLower(TargetProgram());
    EXPECT_EQ(file.Get(program, u"TransValue", u""), u"70");
    EXPECT_EQ(file.Get(program, u"MostTop", u""), u"1");
    EXPECT_EQ(file.Get(program, u"WheelKey1", u""), u"F5");
    // The failed read is recorded once, with the file's name.
    const std::u16string log = ErrorLogText();
    EXPECT_NE(log.find(exeIni + u"を読み込めません"), std::u16string::npos) << common::Utf16ToUtf8(log);
    DeleteFileW(W(exeIni));
    EndProcessesNamed(u"KV2Target.exe");
}

TEST(Controller, ASaveThatFindsItsFileHeldIsTriedAgainAndThenRecorded)
{
    Scenario scenario;
    scenario.Start();
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    DeleteFileW(W(ErrorLog()));
    {
        // Held for a moment: the change arrives once the file is free.
        auto holder = HoldFile(scenario.TaskFile(), 1000);
        scenario.Command(kPPMostTop);
        EXPECT_EQ(holder->WaitForExit(20s), 0u);
        EXPECT_EQ(scenario.OptionOnceSaved(u"MostTop", u"1", 5s), u"1");
    }
    {
        // Held for longer than the retries: one line names the file and the change that was lost.
        auto holder = HoldFile(scenario.TaskFile(), 6000);
        scenario.Command(kPPNonTaskBar);
        EXPECT_TRUE(
            WaitUntil([&] { return ErrorLogText().find(u"NonTaskBar=1") != std::u16string::npos; }, 10s));
        const std::u16string log = ErrorLogText();
        EXPECT_NE(log.find(scenario.TaskFile() + u"を保存できません"), std::u16string::npos)
            << common::Utf16ToUtf8(log);
        EXPECT_EQ(log.find(u"MostTop"), std::u16string::npos) << common::Utf16ToUtf8(log);
        EXPECT_EQ(holder->WaitForExit(20s), 0u);
    }
}
