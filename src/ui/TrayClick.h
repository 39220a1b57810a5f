// How the tray icon tells a single click from a double click.
//
// The shell reports the second press of a double click as a double-click message instead of a
// button-down. When the owner wants double clicks, a single click is only known to be single once the
// system's double-click time has passed without one, so a click timer decides it; without a
// double-click handler a click is reported at once, on the first release.
#pragma once

namespace ui
{

// What the tray icon has to do after an event, in this order: the timer first, the events last.
struct TrayClickActions
{
    bool startTimer = false; // start (or restart) the click timer with the double-click time
    bool stopTimer = false;
    bool raiseClick = false;
    bool raiseDblClick = false;

    bool operator==(const TrayClickActions &) const = default;
};

// The click state of one tray icon. A raise* action is wanted whether or not the event has a handler;
// the caller raises it only when one is assigned.
class TrayClick
{
  public:
    // Left button pressed. `hasDblClickHandler`: the icon has an OnDblClick handler.
    TrayClickActions LButtonDown(bool hasDblClickHandler) noexcept;
    // Left button released. `timerRunning`: the click timer is running.
    TrayClickActions LButtonUp(bool timerRunning) noexcept;
    // The click timer has elapsed.
    TrayClickActions TimerElapsed() noexcept;
    // The second press of a double click.
    TrayClickActions LButtonDblClk() noexcept;

  private:
    bool m_clickStarted = false; // a press not yet released
    bool m_clickReady = false;   // a released click waiting for the timer
    bool m_doubleClicked = false;
};

} // namespace ui
