#include "ui/TrayClick.h"

#include <gtest/gtest.h>

#include <cstdint>
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
// time passes, 'r' right press, 'c' the context-menu notification, 'k' Enter or Space on the icon,
// 'w' a second passes (other steps take 50 ms). The answer repeats the steps with the raised events after
// the step that raised them: 'C' OnClick, 'D' OnDblClick, 'M' the menu opens.
std::string Play(std::string_view steps, bool hasClick, bool hasDblClick)
{
    TrayClick click;
    bool timerRunning = false;
    std::uint32_t now = 1000;
    std::string trace;
    for (char step : steps)
    {
        trace += step;
        now += step == 'w' ? 1000 : 50;
        TrayClickActions actions;
        switch (step)
        {
        case 'r':
            click.RButtonDown();
            trace += 'M';
            break;
        case 'c':
            if (click.ContextMenu())
                trace += 'M';
            break;
        case 'k':
            actions = click.KeySelect(hasDblClick, now);
            break;
        case 'w':
            break;
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

TEST(TrayClick, TheKeyboardActivatesAsTheConfiguredClickAndOpensTheMenuOnce)
{
    // Enter and Space raise the click, or with a double-click handler the double click, once per press.
    ExpectSequences(true, false, {{"k", "kC"}, {"kk", "kCk"}, {"kwk", "kCwkC"}, {"dutk", "duCtkC"}});
    ExpectSequences(true, true, {{"k", "kD"}, {"kk", "kDk"}, {"kwkw", "kDwkDw"}});
    // The right press opens the menu; the shell's notification after its release does not open it again,
    // Shift+F10 or the menu key (no right press) opens it at the icon.
    ExpectSequences(true, false,
                    {{"rc", "rMc"}, {"c", "cM"}, {"rcc", "rMccM"}, {"rdc", "rMdcM"}, {"rkc", "rMkCcM"}});
}

TEST(TrayClick, NotificationsAreReadInBothForms)
{
    struct Case
    {
        std::uint64_t wParam, lParam;
        ui::TrayNotification expected;
    } cases[] = {
        // Version 4: event and id in lParam, the point in wParam, signed (a monitor left of the primary).
        {0x02D0'0500, 0x0001'0201, {0x201, 1, true, 0x500, 0x2D0}},
        {0xFFF6'FF38, 0x0003'007B, {0x7B, 3, true, -200, -10}},
        {0x0010'0020, 0x0001'0401, {0x401, 1, true, 0x20, 0x10}},
        // The earlier form: the id in wParam, the message in lParam.
        {1, 0x204, {0x204, 1, false, 0, 0}},
        {7, 0x203, {0x203, 7, false, 0, 0}},
    };
    for (const Case &c : cases)
        EXPECT_TRUE(ui::DecodeTrayNotification(c.wParam, c.lParam) == c.expected) << std::hex << c.lParam;
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
