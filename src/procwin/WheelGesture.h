// How middle-button (wheel) presses become a single-click or a double-click gesture.
//
// The first press starts the click timer with two thirds of the system double-click time. A press held
// until the timer has expired is a single click, reported on its release. A second press while the
// timer still runs makes a double click, reported on the second release. A short click that is not
// followed in time does nothing: the timer expires and the state returns to Idle. Nothing here stops a
// mouse event from reaching its window.
#pragma once

namespace procwin
{

// The values are those the controller and its logs know.
enum class WheelState
{
    Idle = 0,
    FirstDown = 1,
    FirstUp = 2,
    SecondDown = 3,
    Done = 4, // a double click was reported; the controller puts the state back to Idle
};

enum class WheelEvent
{
    MButtonDown,
    MButtonUp,
    TimerExpired,
};

// What the caller knows at the time of an event.
struct WheelInputs
{
    bool timerRunning = false;
    bool key1Active = false;        // the single-click gesture: its item is checked and its key text is set
    bool key2Active = false;        // the double-click gesture
    unsigned doubleClickTime = 500; // the system's double-click time, in milliseconds
};

// What the caller has to do after an event: stop or start the click timer, then post. A start and a
// stop never come together.
struct WheelActions
{
    bool startTimer = false;
    unsigned timerInterval = 0; // milliseconds, with startTimer
    bool stopTimer = false;
    bool postKey1 = false;   // WM_WHEELKEY1 to the notification window
    bool postKey2 = false;   // WM_WHEELKEY2
    bool resultZero = false; // the hook answers 0 instead of the next hook's result

    bool operator==(const WheelActions &) const = default;
};

// The click timer's interval for a double-click time, both in milliseconds: (2 * time) / 3.
unsigned ClickTimerInterval(unsigned doubleClickTime) noexcept;

// The number of monitor ticks (of `monitorInterval` milliseconds) after which the installed mouse hook
// is renewed: (1000 / interval) * 300, 600 at 500 ms; 0 for an interval of 0.
int MouseHookResetCount(unsigned monitorInterval) noexcept;

// The gesture state of the mouse hook. Starts at Idle.
class WheelGesture
{
  public:
    WheelState State() const noexcept
    {
        return m_state;
    }
    // Back to Idle, as after a reported gesture; the caller stops the timer itself.
    void Reset() noexcept
    {
        m_state = WheelState::Idle;
    }

    // Advances the state; touches nothing but the state, so it may run inside a mouse hook.
    WheelActions On(WheelEvent event, const WheelInputs &inputs) noexcept;

  private:
    WheelActions ButtonDown(const WheelInputs &inputs) noexcept;
    WheelActions ButtonUp(const WheelInputs &inputs) noexcept;

    WheelState m_state = WheelState::Idle;
};

} // namespace procwin
