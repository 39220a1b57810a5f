// Window events of another process waking a wait on this thread, with real fixture programs.
#include "WinTestSupport.h"

#include "gui/MessagePump.h"
#include "procwin/win/ProcessEnd.h"
#include "procwin/win/WindowEvents.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <functional>
#include <optional>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;
using procwin::ProcessWindowEvents;

namespace
{

constexpr DWORD kGuardMs = 10000; // no wait here should come near it

std::u16string TargetPath()
{
    return BinFolder() + u"\\KV2Target.exe";
}

// The process's main fixture window, or null.
HWND MainWindow(DWORD processId)
{
    return ProcessWindowOfClass(processId, L"KV2TargetWindow");
}

} // namespace

TEST(ProcessWindowEvents, AWaitWithoutPollingWakesWhenTheWindowIsShown)
{
    // Created late and hidden: its creation is over before it shows, so only the show can wake the wait
    // (an out-of-context creation event may arrive after a prompt show).
    Process target(TargetPath(), u"--notify-show --delay 300 --show 0");
    ProcessWindowEvents events(target.Id());
    ASSERT_TRUE(events.Hooked());
    ASSERT_EQ(gui::PumpUntil([&] { return events.TakeEvent() && MainWindow(target.Id()) != nullptr; },
                             {.timeout = kGuardMs}),
              gui::PumpEnd::Condition);
    gui::PumpUntil({}, {.timeout = 300});
    events.TakeEvent();
    HWND window = MainWindow(target.Id());
    ASSERT_FALSE(IsWindowVisible(window));

    ShowWindow(window, SW_SHOWNOACTIVATE);
    const ULONGLONG shown = GetTickCount64();
    ASSERT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(gui::PumpUntil([&] { return events.TakeEvent(); }, {.timeout = kGuardMs}),
              gui::PumpEnd::Condition);
    // Woken by the show, not by a look of its own (the pump does not poll): well before the guard.
    EXPECT_LT(GetTickCount64() - shown, 3000u);
}

TEST(ProcessWindowEvents, WithoutTheProgramsOwnNotificationTheCreationStillWakesTheWait)
{
    // Under Wine another program's window raises EVENT_OBJECT_CREATE alone, a few milliseconds before it
    // is shown: what a fallback poll starts from.
    Process target(TargetPath(), u"--delay 300");
    ProcessWindowEvents events(target.Id());
    ASSERT_TRUE(events.Hooked());
    const gui::PumpEnd end = gui::PumpUntil(
        [&] { return events.TakeEvent() && MainWindow(target.Id()) != nullptr; }, {.timeout = kGuardMs});
    EXPECT_EQ(end, gui::PumpEnd::Condition);
}

TEST(ProcessWindowEvents, AnotherProcesssWindowsAreNotItsEvents)
{
    EXPECT_FALSE(ProcessWindowEvents(0).Hooked());
    Process quiet(TargetPath(), u"--delay 600000"); // makes no window during the test
    Process busy(TargetPath(), u"--notify-show --delay 200");
    ProcessWindowEvents quietEvents(quiet.Id());
    ProcessWindowEvents busyEvents(busy.Id());
    ASSERT_TRUE(quietEvents.Hooked() && busyEvents.Hooked());

    HWND window = WaitForWindow(busy.Id(), L"KV2TargetWindow", u"KV2 Target", 10s);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 10s));
    // Each event is waited for: a loaded machine may deliver it a while after the change.
    EXPECT_EQ(gui::PumpUntil([&] { return busyEvents.TakeEvent(); }, {.timeout = kGuardMs}),
              gui::PumpEnd::Condition);
    PostMessageW(window, WM_CLOSE, 0, 0); // destroyed, and announced
    EXPECT_EQ(busy.WaitForExit(10s), 0u);
    EXPECT_EQ(gui::PumpUntil([&] { return busyEvents.TakeEvent(); }, {.timeout = kGuardMs}),
              gui::PumpEnd::Condition);

    EXPECT_FALSE(quietEvents.TakeEvent());
}

TEST(WindowChangeEvents, TheWindowsCaptionAndPlaceInTheZOrderAreReportedNothingElse)
{
    // The fixture announces its changes as Windows does for every program (Wine raises none).
    // Their own showing (a change of the Z order too) is over before the cases start.
    const FixtureTarget target(u"--notify-changes");
    const FixtureTarget other(u"--notify-changes --title Other");
    const HWND window = target.Window();
    const HWND otherWindow = other.Window();
    ASSERT_TRUE(window != nullptr && otherWindow != nullptr);
    int changes = 0;
    procwin::WindowChangeEvents events(window, [&] { ++changes; });
    ASSERT_TRUE(events.Hooked());
    EXPECT_FALSE(procwin::WindowChangeEvents(nullptr, {}).Hooked());

    constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    const struct
    {
        const char *name;
        std::function<void()> change;
        bool reported;
    } cases[] = {
        {"caption", [&] { SetWindowTextW(window, L"Renamed"); }, true},
        {"into the topmost band", [&] { SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace); }, true},
        {"out of it", [&] { SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace); }, true},
        {"moved only",
         [&] { SetWindowPos(window, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }, false},
        {"another program's caption", [&] { SetWindowTextW(otherWindow, L"Renamed too"); }, false},
    };
    for (const auto &c : cases)
    {
        gui::PumpUntil({}, {.timeout = 300});
        changes = 0;
        c.change();
        // A reported change is waited for as long as a loaded machine may take to deliver it.
        gui::PumpUntil([&] { return changes > 0; }, {.timeout = c.reported ? kGuardMs : 500});
        EXPECT_EQ(changes > 0, c.reported) << c.name;
    }
}

TEST(WindowChangeEvents, TheWindowShowingAgainIsReported)
{
    // The fixture announces its showing as Windows does (the shell then gives it a taskbar button).
    const FixtureTarget target(u"--notify-show");
    const HWND window = target.Window();
    ASSERT_NE(window, nullptr);
    int changes = 0;
    procwin::WindowChangeEvents events(window, [&] { ++changes; });
    ASSERT_TRUE(events.Hooked());
    ShowWindow(window, SW_HIDE);
    gui::PumpUntil({}, {.timeout = 300});
    changes = 0;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    EXPECT_EQ(gui::PumpUntil([&] { return changes > 0; }, {.timeout = kGuardMs}), gui::PumpEnd::Condition);
}

namespace
{

constexpr UINT kEnded = WM_APP + 40;
std::vector<WPARAM> g_ended; // the process ids the watch posted

LRESULT CALLBACK RecordEnds(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kEnded)
        g_ended.push_back(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

std::size_t ThreadsOfThisProcess()
{
    common::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::size_t count = 0;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    return count;
}

} // namespace

TEST(ProcessEndWatch, TheEndIsPostedOnceWithItsExitCodeAndNotAfterTheWatchIsGone)
{
    const HWND window =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordEnds));
    g_ended.clear();
    const std::u16string console = BinFolder() + u"\\KV2TargetConsole.exe";

    Process ending(console, u"--exit-after 300 --exit-code 3");
    const std::size_t threads = ThreadsOfThisProcess();
    procwin::ProcessEndWatch watch(ending.Id(), window, kEnded);
    ASSERT_TRUE(watch.Watching());
    EXPECT_FALSE(watch.ExitCode()) << "still running";
    EXPECT_EQ(ThreadsOfThisProcess(), threads) << "the message loop waits, no thread of its own";
    EXPECT_EQ(gui::PumpUntil([] { return !g_ended.empty(); }, {.timeout = kGuardMs}),
              gui::PumpEnd::Condition);
    EXPECT_EQ(g_ended, std::vector<WPARAM>{ending.Id()});
    EXPECT_EQ(watch.ExitCode(), std::optional<std::uint32_t>(3));

    Process later(console, u"--exit-after 300");
    std::optional<procwin::ProcessEndWatch> gone(std::in_place, later.Id(), window, kEnded);
    EXPECT_EQ(later.WaitForExit(10s), 0u);
    EXPECT_TRUE(gone->HasEnded()) << "found without a loop (a menu of the system is open)";
    gone.reset();
    gui::PumpUntil({}, {.timeout = 300});
    EXPECT_EQ(g_ended.size(), 1u) << "posted after the watch was gone";

    EXPECT_FALSE(procwin::ProcessEndWatch(0, window, kEnded).Watching());
    DestroyWindow(window);
}
