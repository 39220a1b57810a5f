#include "controller/AutoRestart.h"

#include <gtest/gtest.h>

#include <vector>

using namespace controller;
using namespace std::chrono_literals;
using Clock = RestartPolicy::Clock;

TEST(AutoRestart, AnExitCodeSaysWhetherTheProgramFailed)
{
    const std::pair<std::uint32_t, bool> cases[] = {
        {0, false},          {1, false},         {2, false},          {3, true},  // abort
        {0x40000015, true},  {0x40010004, false}, {0xC0000005, true}, {0xC0000409, true},
        {0xC000013A, false}, {0xC0000000, true},  {0xFFFFFFFF, true}, {0xBFFFFFFF, false},
    };
    for (const auto &[code, abnormal] : cases)
        EXPECT_EQ(IsAbnormalExit(code), abnormal) << std::hex << code;
}

TEST(AutoRestart, TheModeTheUsersRequestAndTheSessionsEndDecide)
{
    const std::optional<std::uint32_t> crash = 0xC0000005, normal = 0, unknown;
    struct Case
    {
        const char *name;
        RestartMode mode;
        std::optional<std::uint32_t> exitCode;
        bool requested, sessionEnding, restarted;
    };
    const Case cases[] = {
        {"never, a crash", RestartMode::Never, crash, false, false, false},
        {"on failure, a crash", RestartMode::OnFailure, crash, false, false, true},
        {"on failure, a normal end", RestartMode::OnFailure, normal, false, false, false},
        {"on failure, no exit code", RestartMode::OnFailure, unknown, false, false, false},
        {"on every end, a normal end", RestartMode::OnEnd, normal, false, false, true},
        {"on every end, no exit code", RestartMode::OnEnd, unknown, false, false, true},
        {"the user's close", RestartMode::OnEnd, normal, true, false, false},
        {"the user's close of a crashing program", RestartMode::OnFailure, crash, true, false, false},
        {"the session ends", RestartMode::OnEnd, crash, false, true, false},
    };
    for (const Case &c : cases)
    {
        RestartPolicy policy;
        const Clock::time_point now{};
        policy.Started(now);
        if (c.requested)
            policy.EndRequested();
        policy.SessionEnding(c.sessionEnding);
        EXPECT_EQ(policy.Ended(c.mode, c.exitCode, now + 1s).has_value(), c.restarted) << c.name;
        // Neither the request nor a cancelled shutdown outlives its end.
        policy.SessionEnding(false);
        policy.Started(now + 2s);
        EXPECT_EQ(policy.Ended(c.mode, c.exitCode, now + 3s).has_value(),
                  c.mode == RestartMode::OnEnd || (c.mode == RestartMode::OnFailure && c.exitCode == crash))
            << c.name << ", the next end";
    }
}

TEST(AutoRestart, PausesGrowUntilTheLimitStopsAndACalmRunStartsThemOver)
{
    RestartPolicy policy;
    Clock::time_point now{};
    const auto crashAfter = [&](std::chrono::seconds run) {
        policy.Started(now);
        now += run;
        return policy.Ended(RestartMode::OnFailure, 0xC0000005, now);
    };
    // A program that dies at once: 1, 2, 4, 8, 16 s, then no more within ten minutes.
    for (const auto pause : {1s, 2s, 4s, 8s, 16s})
    {
        EXPECT_EQ(crashAfter(1s), std::optional<std::chrono::milliseconds>(pause));
        now += pause;
    }
    EXPECT_FALSE(crashAfter(1s));
    EXPECT_TRUE(policy.Stopped());
    EXPECT_EQ(policy.EndsCounted(), 6);
    EXPECT_FALSE(crashAfter(1s)) << "stopped until the user starts it";
    policy.UserStarted();
    EXPECT_FALSE(policy.Stopped());
    EXPECT_EQ(crashAfter(1s), std::optional<std::chrono::milliseconds>(1s));

    // Ends nine minutes apart never reach the limit, and their pauses grow to a minute at most; a run of
    // ten minutes starts them over.
    RestartPolicy spread;
    policy = spread;
    std::vector<std::chrono::milliseconds> pauses;
    for (int i = 0; i < 8; ++i)
        pauses.push_back(crashAfter(9min).value_or(0ms));
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{1s, 2s, 4s, 8s, 16s, 32s, 60s, 60s}));
    EXPECT_EQ(crashAfter(10min), std::optional<std::chrono::milliseconds>(1s));
}

TEST(AutoRestart, AWindowCountsAsNotAnsweringAfterThirtySecondsInARow)
{
    AnswerWatch watch;
    const std::pair<bool, std::uint64_t> looks[] = {{true, 0},      {false, 1000}, {false, 30999},
                                                    {false, 31000}, {true, 31500}, {false, 32000},
                                                    {false, 61999}, {false, 62000}};
    const bool counted[] = {false, false, false, true, false, false, false, true};
    for (size_t i = 0; i < std::size(looks); ++i)
        EXPECT_EQ(watch.Look(looks[i].first, looks[i].second), counted[i]) << i;
}
