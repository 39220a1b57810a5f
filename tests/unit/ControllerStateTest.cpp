#include "controller/ControllerState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using controller::ControllerState;
using Phase = ControllerState::Phase;

namespace
{

constexpr Phase kPhases[] = {Phase::Idle,       Phase::Starting,      Phase::WaitingToClose,
                             Phase::Restarting, Phase::SessionEnding, Phase::Closing};

// A state holding `path`, entered from Idle in that order.
ControllerState In(const std::vector<Phase> &path)
{
    ControllerState state;
    for (Phase phase : path)
        EXPECT_TRUE(state.Enter(phase));
    return state;
}

} // namespace

TEST(ControllerState, WhatMayBeginInsideWhat)
{
    struct Case
    {
        std::vector<Phase> path;
        std::vector<Phase> allowed;
    } cases[] = {
        {{},
         {Phase::Starting, Phase::WaitingToClose, Phase::Restarting, Phase::SessionEnding, Phase::Closing}},
        // A start waits for its window: only the end of KV2 or of the session comes between.
        {{Phase::Starting}, {Phase::SessionEnding, Phase::Closing}},
        // The target is gone while its close is awaited: a tray click may start it again.
        {{Phase::WaitingToClose}, {Phase::Starting, Phase::SessionEnding, Phase::Closing}},
        // A restart holds its own close wait and start, never a second restart.
        {{Phase::Restarting}, {Phase::WaitingToClose, Phase::Starting, Phase::SessionEnding, Phase::Closing}},
        {{Phase::Restarting, Phase::WaitingToClose}, {Phase::Starting, Phase::SessionEnding, Phase::Closing}},
        {{Phase::SessionEnding}, {Phase::WaitingToClose, Phase::Closing}},
        {{Phase::Closing}, {}},
    };
    for (const Case &entry : cases)
        for (Phase next : kPhases)
        {
            ControllerState state = In(entry.path);
            const bool allowed =
                std::find(entry.allowed.begin(), entry.allowed.end(), next) != entry.allowed.end();
            EXPECT_EQ(state.Enter(next), allowed) << entry.path.size() << " then " << static_cast<int>(next);
            if (!allowed)
            {
                EXPECT_EQ(state.Current(), entry.path.empty() ? Phase::Idle : entry.path.back());
            }
        }
}

TEST(ControllerState, LeavingReturnsToThePhaseAroundAndClosingStays)
{
    ControllerState state = In({Phase::Restarting, Phase::WaitingToClose});
    state.Leave(Phase::WaitingToClose);
    EXPECT_EQ(state.Current(), Phase::Restarting);
    ASSERT_TRUE(state.Enter(Phase::Starting));
    EXPECT_TRUE(state.Within(Phase::Restarting));
    // "終了" during the restart's start: KV2 ends, and leaving the start does not undo that.
    ASSERT_TRUE(state.Enter(Phase::Closing));
    state.Leave(Phase::Starting);
    state.Leave(Phase::Restarting);
    EXPECT_EQ(state.Current(), Phase::Closing);
    EXPECT_TRUE(state.Closing());
    // Leaving a phase that is not the innermost changes nothing.
    ControllerState other = In({Phase::Restarting, Phase::Starting});
    other.Leave(Phase::Restarting);
    EXPECT_EQ(other.Current(), Phase::Starting);
}

TEST(ControllerState, TheQuestionsOfTheTrayClickAndTheMonitor)
{
    struct Case
    {
        std::vector<Phase> path;
        bool mayStart;
        bool mayEndWithoutTarget;
    } cases[] = {
        {{}, true, true},
        {{Phase::Starting}, false, false},
        {{Phase::WaitingToClose}, true, true},
        {{Phase::WaitingToClose, Phase::Starting}, false, false},
        {{Phase::Restarting}, true, false},
        {{Phase::Restarting, Phase::Starting}, false, false},
        {{Phase::SessionEnding}, false, true},
        {{Phase::Closing}, false, true},
    };
    for (const Case &entry : cases)
    {
        const ControllerState state = In(entry.path);
        EXPECT_EQ(state.MayStart(), entry.mayStart) << entry.path.size();
        EXPECT_EQ(state.MayEndWithoutTarget(), entry.mayEndWithoutTarget) << entry.path.size();
    }
}
