// "自動再起動": the target started again after it ended, as the mode says, never after the user's own end.
#include "Kv2Scenario.h"

#include "controller/MenuModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace e2e;
using namespace wintest;
using namespace controller;

namespace
{

// The target's window, once one other than `previous` shows (a restart), within `timeout`.
HWND NextTarget(const Scenario &scenario, HWND previous, std::chrono::milliseconds timeout)
{
    HWND next = nullptr;
    WaitUntil(
        [&] {
            next = scenario.FindTarget();
            return next != nullptr && next != previous && IsWindowVisible(next);
        },
        timeout);
    return next != previous ? next : nullptr;
}

// The scenario's target windows that are shown.
int ShownTargets(const Scenario &scenario)
{
    int count = 0;
    for (HWND window = nullptr;
         (window = FindWindowExW(nullptr, window, L"KV2TargetWindow", W(scenario.Title()))) != nullptr;)
        count += IsWindowVisible(window) ? 1 : 0;
    return count;
}

} // namespace

TEST(AutoRestart, TheModeDecidesWhichEndsStartTheProgramAgain)
{
    struct Case
    {
        const char *name;
        int mode;
        const char *exitCode; // the fixture ends itself with it, 1.5 s after it starts
        bool restarted;
    };
    const Case cases[] = {
        {"on failure, an access violation", 1, "0xC0000005", true},
        {"on failure, abort's code", 1, "3", true},
        {"on failure, a console closed by its user", 1, "0xC000013A", false},
        {"on failure, a normal end", 1, "0", false},
        {"on every end, a normal end", 2, "0", true},
        {"never", 0, "3", false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Scenario scenario("[Tray Option]\r\nMostTop=1\r\nAutoRestart=" + std::to_string(c.mode) + "\r\n",
                          std::string("--exit-after 1500 --exit-code ") + c.exitCode);
        scenario.Start();
        const HWND first = scenario.WaitForTarget();
        ASSERT_NE(first, nullptr);
        // The first restart comes a second after the end.
        const HWND next = NextTarget(scenario, first, c.restarted ? 10s : 4s);
        EXPECT_EQ(next != nullptr, c.restarted);
        // The restarted program is the target and gets its options back.
        if (next != nullptr)
        {
            EXPECT_TRUE(WaitUntil([&] { return IsTopMost(next); }, 5s));
        }
        EXPECT_EQ(scenario.Kv2Process().WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE));
    }
}

TEST(AutoRestart, TheUsersOwnEndIsNeverUndoneAndTheMenuStoresTheMode)
{
    for (const unsigned end : {kPPExit, kPPTERMINATE}) // "閉じる", "強制終了"
    {
        SCOPED_TRACE(end);
        Scenario scenario("[Tray Option]\r\nLive=1\r\n");
        scenario.Start();
        const HWND first = scenario.WaitForTarget();
        ASSERT_NE(first, nullptr);
        scenario.Command(kPPAutoRestart0 + 2);
        EXPECT_EQ(scenario.OptionOnceSaved(u"AutoRestart", u"2"), u"2");
        scenario.Command(end);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }, 10s));
        EXPECT_EQ(NextTarget(scenario, first, 4s), nullptr);
    }
}

TEST(AutoRestart, ACopyTheEndedProgramStartedIsTakenInsteadOfStartingAnother)
{
    // A program that updates itself: it starts its new version and ends.
    Scenario scenario("[Tray Option]\r\nMostTop=1\r\nAutoRestart=2\r\n", "--exit-after 1500 --respawn");
    scenario.Start();
    const HWND first = scenario.WaitForTarget();
    ASSERT_NE(first, nullptr);
    const HWND next = NextTarget(scenario, first, 10s);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(next); }, 5s)) << "the copy is the target";
    WaitUntil([] { return false; }, 2s); // a second start would show by now
    EXPECT_EQ(ShownTargets(scenario), 1);
}

TEST(AutoRestart, AProgramThatDiesAtOnceIsStartedAFewTimesWithGrowingPausesThenNoMore)
{
    // Without "常駐", only the pending restarts keep KV2: it ends once they stop.
    Scenario scenario("[Tray Option]\r\nAutoRestart=1\r\nLive=0\r\n", "--exit-after 800 --exit-code 3");
    scenario.Start();
    // Five restarts after pauses of 1, 2, 4, 8 and 16 s; the sixth end stops them.
    const auto start = std::chrono::steady_clock::now();
    std::vector<HWND> seen;
    const bool ended = WaitUntil(
        [&] {
            const HWND target = scenario.FindTarget();
            if (target != nullptr && std::find(seen.begin(), seen.end(), target) == seen.end())
                seen.push_back(target);
            return scenario.Kv2Process().WaitForExit(0ms) != static_cast<DWORD>(STILL_ACTIVE);
        },
        90s);
    ASSERT_TRUE(ended);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 31s) << "the pauses grow";
    EXPECT_GE(seen.size(), 4u);
    EXPECT_LE(seen.size(), 6u);
    EXPECT_NE(ErrorLogText().find(u"の自動再起動を停止しました（6回終了、終了コード 0x00000003）。"),
              std::u16string::npos);
}

TEST(AutoRestart, NothingIsStartedWhileWindowsEndsTheSessionAndAgainOnceTheEndIsCancelled)
{
    for (const bool cancelled : {false, true})
    {
        SCOPED_TRACE(cancelled ? "cancelled" : "ending");
        Scenario scenario("[Tray Option]\r\nAutoRestart=2\r\n", "--exit-after 3000");
        scenario.Start();
        const HWND first = scenario.WaitForTarget();
        ASSERT_NE(first, nullptr);
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(scenario.Controller(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        if (cancelled)
            SendMessageTimeoutW(scenario.Controller(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000,
                                &answer);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }, 10s));
        EXPECT_EQ(NextTarget(scenario, first, cancelled ? 10s : 4s) != nullptr, cancelled);
    }
}
