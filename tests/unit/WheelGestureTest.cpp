#include "common/Text.h"
#include "controller/WheelKeyStroke.h"
#include "procwin/WheelGesture.h"
#include "procwin/WheelKey.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

using procwin::WheelActions;
using procwin::WheelEvent;
using procwin::WheelGesture;
using procwin::WheelState;

namespace
{

struct Active
{
    bool key1;
    bool key2;
};
constexpr Active kBoth{true, true};
constexpr Active kSingleOnly{true, false};
constexpr Active kDoubleOnly{false, true};
constexpr Active kNone{false, false};

// Plays wheel steps against the gesture the way the mouse hook and the controller do: the click timer
// runs from a start until a stop, and it can only expire while it runs.
//
// Steps: 'd' middle press, 'u' middle release, 't' the click time passes, 'r' the controller handles a
// posted key (gesture back to Idle, timer stopped). The answer repeats the steps with the posted keys
// after the step that posted them: '1' WM_WHEELKEY1, '2' WM_WHEELKEY2.
std::string Play(WheelGesture &gesture, std::string_view steps, Active active, unsigned doubleClickTime = 500)
{
    bool timerRunning = false;
    std::string trace;
    for (char step : steps)
    {
        trace += step;
        const procwin::WheelInputs inputs{timerRunning, active.key1, active.key2, doubleClickTime};
        WheelActions actions;
        switch (step)
        {
        case 'd':
            actions = gesture.On(WheelEvent::MButtonDown, inputs);
            break;
        case 'u':
            actions = gesture.On(WheelEvent::MButtonUp, inputs);
            break;
        case 't':
            if (timerRunning)
                actions = gesture.On(WheelEvent::TimerExpired, inputs);
            break;
        case 'r':
            gesture.Reset();
            actions.stopTimer = true;
            break;
        default:
            ADD_FAILURE() << "unknown step " << step;
        }
        EXPECT_FALSE(actions.startTimer && actions.stopTimer) << steps;
        EXPECT_EQ(actions.resultZero, actions.postKey1 || actions.postKey2) << steps;
        EXPECT_EQ(actions.timerInterval,
                  actions.startTimer ? procwin::ClickTimerInterval(doubleClickTime) : 0u)
            << steps;
        timerRunning = (timerRunning || actions.startTimer) && !actions.stopTimer;
        if (actions.postKey1)
            trace += '1';
        if (actions.postKey2)
            trace += '2';
    }
    return trace;
}

std::string Play(std::string_view steps, Active active)
{
    WheelGesture gesture;
    return Play(gesture, steps, active);
}

} // namespace

TEST(WheelGesture, SingleAndDoubleClicksWithBothGesturesActive)
{
    struct Case
    {
        const char *steps;
        const char *expected;
    };
    const Case cases[] = {
        {"dut", "dut"},                // a short click does nothing
        {"dtu", "dtu1"},               // a long press is a single click
        {"dudu", "dudu2"},             // a double click
        {"dudtu", "dudtu2"},           // the second press may be held
        {"dutdut", "dutdut"},          // a second press after the time is a new short click
        {"dutdtu", "dutdtu1"},         // ... or a new long press
        {"dutdudu", "dutdudu2"},       // ... or the start of a new double click
        {"dudurdtu", "dudu2rdtu1"},    // after the controller's reset the next gesture counts
        {"dudutdtudu", "dudu2tdtudu"}, // without it the double click holds the gesture
        {"dturdudu", "dtu1rdudu2"},    // the reset after a single click changes nothing
        {"u", "u1"},                   // a release whose press came before the hook
        {"dtutdtu", "dtu1tdtu1"},      // one single click after another
    };
    for (const Case &c : cases)
        EXPECT_EQ(Play(c.steps, kBoth), c.expected) << c.steps;
}

TEST(WheelGesture, InactiveGesturesPostNothing)
{
    struct Case
    {
        Active active;
        const char *steps;
        const char *expected;
    };
    const Case cases[] = {
        // A double click without its gesture: nothing, and the next gesture starts from Idle.
        {kSingleOnly, "dududtu", "dududtu1"},
        {kSingleOnly, "dudu", "dudu"},
        // A long press without its gesture: nothing, and the state is Idle afterwards.
        {kDoubleOnly, "dtududu", "dtududu2"},
        {kDoubleOnly, "dut", "dut"},
        {kNone, "dtududutdtu", "dtududutdtu"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Play(c.steps, c.active), c.expected) << c.steps << " " << c.active.key1 << c.active.key2;
}

TEST(WheelGesture, StatesAfterSteps)
{
    struct Case
    {
        Active active;
        const char *steps;
        WheelState state;
    };
    const Case cases[] = {
        {kBoth, "", WheelState::Idle},          {kBoth, "d", WheelState::FirstDown},
        {kBoth, "du", WheelState::FirstUp},     {kBoth, "dud", WheelState::SecondDown},
        {kBoth, "dudu", WheelState::Done},      {kBoth, "duduu", WheelState::Done},
        {kBoth, "dudur", WheelState::Idle},     {kSingleOnly, "dudu", WheelState::Idle},
        {kBoth, "dut", WheelState::Idle},       {kBoth, "dt", WheelState::Idle},
        {kBoth, "dtu", WheelState::Idle},       {kDoubleOnly, "dtu", WheelState::Idle},
        {kBoth, "dutd", WheelState::FirstDown},
    };
    for (const Case &c : cases)
    {
        WheelGesture gesture;
        Play(gesture, c.steps, c.active);
        EXPECT_EQ(gesture.State(), c.state) << c.steps;
        EXPECT_EQ(static_cast<int>(gesture.State()), static_cast<int>(c.state)) << c.steps;
    }
    EXPECT_EQ(static_cast<int>(WheelState::Done), 4);
}

TEST(WheelGesture, FirstPressStartsTheTimerWithTwoThirdsOfTheDoubleClickTime)
{
    WheelGesture gesture;
    const WheelActions start = gesture.On(WheelEvent::MButtonDown, {false, true, true, 900});
    EXPECT_EQ(start, (WheelActions{.startTimer = true, .timerInterval = 600}));
    const WheelActions release = gesture.On(WheelEvent::MButtonUp, {true, true, true, 900});
    EXPECT_EQ(release, WheelActions{});
    const WheelActions second = gesture.On(WheelEvent::MButtonDown, {true, true, true, 900});
    EXPECT_EQ(second, WheelActions{.stopTimer = true});
    const WheelActions posted = gesture.On(WheelEvent::MButtonUp, {false, true, true, 900});
    EXPECT_EQ(posted, (WheelActions{.postKey2 = true, .resultZero = true}));
}

TEST(WheelGesture, ClickTimerInterval)
{
    struct Case
    {
        unsigned doubleClickTime;
        unsigned interval;
    };
    const Case cases[] = {
        {900, 600}, {500, 333}, {200, 133}, {5000, 3333}, {1, 0}, {0, 0}, {4294967295u, 2863311530u}};
    for (const Case &c : cases)
        EXPECT_EQ(procwin::ClickTimerInterval(c.doubleClickTime), c.interval) << c.doubleClickTime;
}

TEST(WheelGesture, MouseHookResetCount)
{
    struct Case
    {
        unsigned monitorInterval;
        int ticks;
    };
    const Case cases[] = {{500, 600}, {1000, 300}, {250, 1200}, {300, 900}, {1001, 0}, {1, 300000}, {0, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(procwin::MouseHookResetCount(c.monitorInterval), c.ticks) << c.monitorInterval;
}

namespace
{

// A layout that names one key outside the fixed table.
class FakeKeyNames : public ui::KeyNames
{
  public:
    std::u16string LayoutKeyName(unsigned keyCode) const override
    {
        return keyCode == 0xBA ? u";" : u"";
    }
};

// "v10e" for a press of 0x10 with the extended flag, "^41" for a plain release; "?" for other flags.
std::string Render(const std::vector<procwin::KeyEvent> &events)
{
    std::string text;
    for (const procwin::KeyEvent &event : events)
    {
        char item[16];
        std::snprintf(item, sizeof(item), "%s%c%02X%s", text.empty() ? "" : " ",
                      (event.flags & procwin::kKeyEventKeyUp) != 0 ? '^' : 'v', event.key,
                      (event.flags & procwin::kKeyEventExtendedKey) != 0 ? "e" : "");
        text += item;
        if ((event.flags & ~(procwin::kKeyEventKeyUp | procwin::kKeyEventExtendedKey)) != 0)
            text += '?';
    }
    return text;
}

} // namespace

TEST(WheelKeyEvents, ModifiersAroundTheKeyInFixedOrder)
{
    struct Case
    {
        const char16_t *text;
        const char *events;
    };
    const Case cases[] = {
        {u"Shift+Ctrl+Alt+F5", "v10e v11e v12e v74 ^74 ^12e ^11e ^10e"},
        {u"Alt+Ctrl+Shift+F5", "v10e v11e v12e v74 ^74 ^12e ^11e ^10e"},
        {u"Ctrl+W", "v11e v57 ^57 ^11e"},
        {u"alt+shift+a", "v10e v12e v41 ^41 ^12e ^10e"},
        {u"^;", "v11e vBA ^BA ^11e"},
        {u"F24", "v87 ^87"},
        {u"Space", "v20 ^20"},
        {u"", "v00 ^00"},
        {u"Shift+", "v00 ^00"},
        {u"Ctrl+Nonsense", "v00 ^00"},
        {u"Shift+Ctrl+Alt+", "v00 ^00"},
    };
    const FakeKeyNames names;
    for (const Case &c : cases)
        EXPECT_EQ(Render(procwin::WheelKeyEvents(controller::WheelKeyStroke(c.text, names))), c.events)
            << common::Utf16ToUtf8(c.text);
}
