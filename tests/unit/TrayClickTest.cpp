#include "ui/TrayClick.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

using ui::TrayClick;
using ui::TrayClickActions;

namespace ui
{

inline void PrintTo(const TrayClickActions &a, std::ostream *os)
{
    *os << "{start " << a.startTimer << ", stop " << a.stopTimer << ", click " << a.raiseClick
        << ", dblclick " << a.raiseDblClick << "}";
}

} // namespace ui

namespace
{

// Plays mouse steps against the state machine the way the tray icon does: the click timer runs from
// a start until a stop, and its tick arrives only while it runs; an event counts only when the icon
// has a handler for it.
//
// Steps: 'd' left press, 'u' left release, 'x' second press of a double click, 't' the double-click
// time passes. The answer repeats the steps with the raised events after the step that raised them:
// 'C' OnClick, 'D' OnDblClick.
std::string Play(std::string_view steps, bool hasClick, bool hasDblClick)
{
    TrayClick click;
    bool timerRunning = false;
    std::string trace;
    for (char step : steps)
    {
        trace += step;
        TrayClickActions actions;
        switch (step)
        {
        case 'd':
            actions = click.LButtonDown(hasDblClick);
            break;
        case 'u':
            actions = click.LButtonUp(timerRunning);
            break;
        case 'x':
            actions = click.LButtonDblClk();
            break;
        case 't':
            if (timerRunning)
                actions = click.TimerElapsed();
            break;
        default:
            ADD_FAILURE() << "unknown step " << step;
        }
        EXPECT_FALSE(actions.startTimer && actions.stopTimer) << steps;
        timerRunning = (timerRunning || actions.startTimer) && !actions.stopTimer;
        if (actions.raiseClick && hasClick)
            trace += 'C';
        if (actions.raiseDblClick && hasDblClick)
            trace += 'D';
    }
    return trace;
}

struct Sequence
{
    const char *steps;
    const char *expected;
};

void ExpectSequences(bool hasClick, bool hasDblClick, std::initializer_list<Sequence> cases)
{
    for (const Sequence &c : cases)
        EXPECT_EQ(Play(c.steps, hasClick, hasDblClick), c.expected) << c.steps;
}

} // namespace

TEST(TrayClick, OnlyADoubleClickHandlerIgnoresSingleClicksAndRunsOncePerDoubleClick)
{
    ExpectSequences(false, true,
                    {
                        {"du", "du"},
                        {"dut", "dut"},
                        {"dutdut", "dutdut"},
                        {"duxut", "duxDut"},
                        {"duxu", "duxDu"},
                        {"duxutduxut", "duxDutduxDut"},
                        {"dtu", "dtu"}, // held past the double-click time
                    });
}

TEST(TrayClick, OnlyAClickHandlerRunsAtTheFirstReleaseAndNotAgainForTheSecondPress)
{
    ExpectSequences(true, false,
                    {
                        {"d", "d"},
                        {"du", "duC"},
                        {"dut", "duCt"},
                        {"duxu", "duCxu"},
                        {"duxut", "duCxut"},
                        {"dudu", "duCduC"}, // two presses that the system did not pair
                        {"u", "u"},         // a release without a press seen by the icon
                    });
}

TEST(TrayClick, WithBothHandlersTheTimerDecidesBetweenClickAndDoubleClick)
{
    ExpectSequences(true, true,
                    {
                        {"du", "du"},
                        {"dut", "dutC"},
                        {"dutdut", "dutCdutC"},
                        {"duxut", "duxDut"},
                        {"duxudut", "duxDudut"}, // a third quick press belongs to the double click
                        {"dtu", "dtuC"},         // held past the double-click time: a click on release
                        {"duxutdut", "duxDutdutC"},
                        {"duxutdtu", "duxDutdtuC"}, // nothing of the double click is left over
                    });
}

TEST(TrayClick, WithoutHandlersNothingIsRaised)
{
    ExpectSequences(false, false, {{"dut", "dut"}, {"duxut", "duxut"}});
}

TEST(TrayClick, TimerControlOfSingleEventsFromRest)
{
    struct Case
    {
        const char *name;
        TrayClickActions (*event)(TrayClick &);
        TrayClickActions expected;
    };
    const Case cases[] = {
        {"press with a double-click handler",
         [](TrayClick &c) { return c.LButtonDown(true); },
         {.startTimer = true}},
        {"press without one", [](TrayClick &c) { return c.LButtonDown(false); }, {}},
        {"release without a press", [](TrayClick &c) { return c.LButtonUp(false); }, {}},
        {"timer without a click", [](TrayClick &c) { return c.TimerElapsed(); }, {.stopTimer = true}},
        {"double click", [](TrayClick &c) { return c.LButtonDblClk(); }, {.raiseDblClick = true}},
    };
    for (const Case &c : cases)
    {
        TrayClick click;
        EXPECT_EQ(c.event(click), c.expected) << c.name;
    }
}

TEST(TrayClick, AReleaseWhileTheTimerRunsWaitsForIt)
{
    TrayClick click;
    EXPECT_EQ(click.LButtonDown(true), TrayClickActions{.startTimer = true});
    EXPECT_EQ(click.LButtonUp(true), TrayClickActions{});
    EXPECT_EQ(click.TimerElapsed(), (TrayClickActions{.stopTimer = true, .raiseClick = true}));
    EXPECT_EQ(click.TimerElapsed(), TrayClickActions{.stopTimer = true}) << "the click is raised once";
}
