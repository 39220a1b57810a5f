// Timers ticking through the process's one shared hidden window, from the real message loop.
#include "WinTestSupport.h"

#include "gui/SimpleTimer.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;
using gui::TSimpleTimer;

namespace
{

// Long enough that no tick arrives while a test looks at the timer's state.
constexpr unsigned kQuiet = 60000;

// A timer that counts its ticks and notes whether it was still enabled during each.
struct CountingTimer
{
    explicit CountingTimer(unsigned interval)
        : timer(interval, [this] {
              ++ticks;
              enabledInTick.push_back(timer.Enabled());
          })
    {
    }

    TSimpleTimer timer;
    int ticks = 0;
    std::vector<bool> enabledInTick;
};

} // namespace

TEST(TSimpleTimer, TwoTimersTickIndependentlyThroughOneWindow)
{
    const int runningBefore = TSimpleTimer::RunningCount();
    auto fast = std::make_unique<CountingTimer>(40);
    CountingTimer slow(150);
    ASSERT_NE(fast->timer.HandlerWindow(), nullptr);
    EXPECT_EQ(fast->timer.HandlerWindow(), slow.timer.HandlerWindow());
    EXPECT_NE(fast->timer.Identity(), slow.timer.Identity());

    EXPECT_TRUE(fast->timer.Start());
    slow.timer.SetEnabled(true);
    EXPECT_EQ(TSimpleTimer::RunningCount(), runningBefore + 2);
    ASSERT_TRUE(WaitUntil([&] { return slow.ticks >= 3; }, 10s));
    EXPECT_GT(fast->ticks, slow.ticks);

    // Destroying the first stops only it.
    fast.reset();
    EXPECT_EQ(TSimpleTimer::RunningCount(), runningBefore + 1);
    const int slowTicks = slow.ticks;
    EXPECT_TRUE(WaitUntil([&] { return slow.ticks >= slowTicks + 2; }, 10s));
    EXPECT_TRUE(IsWindow(slow.timer.HandlerWindow()));
}

TEST(TSimpleTimer, TheSharedWindowIsMessageOnlyAndGoesWithTheLastTimer)
{
    HWND window = nullptr;
    {
        TSimpleTimer first;
        window = first.HandlerWindow();
        {
            TSimpleTimer second;
            EXPECT_EQ(second.HandlerWindow(), window);
        }
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(GetParent(window), nullptr);
        EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"KV2SimpleTimerHandler", nullptr), window);
    }
    EXPECT_FALSE(IsWindow(window));
    TSimpleTimer again;
    EXPECT_TRUE(IsWindow(again.HandlerWindow())) << "made anew for the next timer";
}

TEST(TSimpleTimer, AutoDisableTicksOnce)
{
    CountingTimer once(30);
    once.timer.SetAutoDisable(true);
    ASSERT_TRUE(once.timer.Start());
    ASSERT_TRUE(WaitUntil([&] { return once.ticks > 0; }, 5s));
    // Ten more intervals: a repeating timer would have ticked again.
    WaitUntil([] { return false; }, 300ms);
    EXPECT_EQ(once.ticks, 1);
    EXPECT_EQ(once.enabledInTick, std::vector<bool>{false}) << "stopped before the tick was reported";
    EXPECT_FALSE(once.timer.Running());
    // Started again, it ticks once more.
    ASSERT_TRUE(once.timer.Start());
    EXPECT_TRUE(WaitUntil([&] { return once.ticks == 2; }, 5s));
}

TEST(TSimpleTimer, EnabledAndRunningAfterStartStopIntervalAndEventChanges)
{
    const auto tick = [] {};
    struct Case
    {
        const char *name;
        void (*steps)(TSimpleTimer &, const TSimpleTimer::TimerEvent &);
        bool enabled;
        bool running;
        unsigned interval;
    };
    const Case cases[] = {
        {"new", [](TSimpleTimer &, const auto &) {}, false, false, kQuiet},
        {"start", [](TSimpleTimer &t, const auto &) { t.Start(); }, true, true, kQuiet},
        {"enable", [](TSimpleTimer &t, const auto &) { t.SetEnabled(true); }, true, true, kQuiet},
        {"disable",
         [](TSimpleTimer &t, const auto &) {
             t.Start();
             t.SetEnabled(false);
         },
         false, false, kQuiet},
        {"stop keeping enabled",
         [](TSimpleTimer &t, const auto &) {
             t.Start();
             t.Stop(false);
         },
         true, false, kQuiet},
        {"start with interval 0",
         [](TSimpleTimer &t, const auto &) {
             t.SetInterval(0);
             t.Start();
         },
         false, false, 0},
        {"interval 0 while enabled",
         [](TSimpleTimer &t, const auto &) {
             t.Start();
             t.SetInterval(0);
         },
         true, false, 0},
        {"interval back from 0",
         [](TSimpleTimer &t, const auto &) {
             t.Start();
             t.SetInterval(0);
             t.SetInterval(50000);
         },
         true, true, 50000},
        {"interval while disabled", [](TSimpleTimer &t, const auto &) { t.SetInterval(50000); }, false, false,
         50000},
        {"event cleared while enabled",
         [](TSimpleTimer &t, const auto &) {
             t.Start();
             t.SetOnTimer({});
         },
         true, false, kQuiet},
        {"same interval does nothing",
         [](TSimpleTimer &t, const auto &) {
             t.Start();
             t.SetOnTimer({});
             t.SetInterval(kQuiet);
         },
         true, false, kQuiet},
        {"new interval restarts",
         [](TSimpleTimer &t, const auto &) {
             t.Start();
             t.SetOnTimer({});
             t.SetInterval(50000);
         },
         true, true, 50000},
        {"event assigned again",
         [](TSimpleTimer &t, const auto &e) {
             t.Start();
             t.SetOnTimer({});
             t.SetOnTimer(e);
         },
         true, true, kQuiet},
        {"event assigned while disabled", [](TSimpleTimer &t, const auto &e) { t.SetOnTimer(e); }, false,
         false, kQuiet},
    };
    const int runningBefore = TSimpleTimer::RunningCount();
    for (const Case &c : cases)
    {
        {
            TSimpleTimer timer(kQuiet, tick);
            c.steps(timer, tick);
            EXPECT_EQ(timer.Enabled(), c.enabled) << c.name;
            EXPECT_EQ(timer.Running(), c.running) << c.name;
            EXPECT_EQ(timer.Interval(), c.interval) << c.name;
            EXPECT_EQ(TSimpleTimer::RunningCount(), runningBefore + (c.running ? 1 : 0)) << c.name;
        }
        EXPECT_EQ(TSimpleTimer::RunningCount(), runningBefore) << c.name << ": destruction stops the timer";
    }
}

TEST(TSimpleTimer, DefaultsAndStartAnswers)
{
    TSimpleTimer timer;
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_FALSE(timer.AutoDisable());
    EXPECT_FALSE(static_cast<bool>(timer.OnTimer()));
    EXPECT_FALSE(timer.Stop()) << "nothing to stop";
    EXPECT_TRUE(timer.Start());
    EXPECT_TRUE(timer.Start()) << "a restart";
    EXPECT_TRUE(timer.Stop());
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Start());
}

TEST(TSimpleTimer, ANewIntervalTakesEffectAtOnce)
{
    CountingTimer timer(kQuiet);
    ASSERT_TRUE(timer.timer.Start());
    timer.timer.SetInterval(30);
    EXPECT_TRUE(WaitUntil([&] { return timer.ticks >= 3; }, 5s));
}
