// A lightweight timer that needs no window of its own: every timer of the process ticks through one
// shared hidden window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace gui
{

class TSimpleTimerHandler;

// Ticks arrive from the message loop of the thread that created the timer; use a timer on that
// thread only. The timer is bound to its address (the shared window finds it by its identity), so
// it can be neither copied nor moved. An error escaping OnTimer goes to
// gui::Application::ParkException.
class TSimpleTimer
{
  public:
    using TimerEvent = std::function<void()>;

    // Not enabled. `interval` in milliseconds. Raises common::win::WinError when the shared window
    // cannot be created.
    explicit TSimpleTimer(unsigned interval = 1000, TimerEvent onTimer = {});
    // Stops the timer and releases the shared window (destroyed with the last timer).
    ~TSimpleTimer();
    TSimpleTimer(const TSimpleTimer &) = delete;
    TSimpleTimer &operator=(const TSimpleTimer &) = delete;

    // The system timer identifier on the shared window; unique in the process, fixed for the timer's
    // life.
    UINT_PTR Identity() const noexcept
    {
        return m_identity;
    }
    // The shared window that receives the ticks of every timer.
    HWND HandlerWindow() const noexcept;

    unsigned Interval() const noexcept
    {
        return m_interval;
    }
    // The same value does nothing. On an enabled timer a new value restarts it; 0 stops the system
    // timer and leaves the timer enabled, so that a later non-zero value starts it again.
    void SetInterval(unsigned interval);

    // Enabled: the owner wants ticks. Running: the system timer exists. Both differ only while the
    // interval is 0 or no OnTimer is assigned.
    bool Enabled() const noexcept
    {
        return m_enabled;
    }
    bool Running() const noexcept
    {
        return m_running;
    }
    // True is Start, false is Stop(true).
    void SetEnabled(bool enabled);

    // When true the timer stops itself (not enabled) before each tick is reported: a one-shot timer.
    bool AutoDisable() const noexcept
    {
        return m_autoDisable;
    }
    void SetAutoDisable(bool autoDisable) noexcept
    {
        m_autoDisable = autoDisable;
    }

    const TimerEvent &OnTimer() const noexcept
    {
        return m_onTimer;
    }
    // Clearing the event of an enabled timer stops the system timer and leaves the timer enabled;
    // assigning one to such a timer starts it again.
    void SetOnTimer(TimerEvent onTimer);

    // Restarts the system timer with the current interval and marks the timer enabled. Answers false,
    // changing nothing, when the interval is 0 or SetTimer fails.
    bool Start();
    // Kills the system timer; `disable` also marks the timer not enabled. Answers whether a running
    // system timer was killed.
    bool Stop(bool disable = true);

    // The number of system timers running in the process.
    static int RunningCount() noexcept;

  private:
    friend class TSimpleTimerHandler;
    void Tick();

    std::shared_ptr<TSimpleTimerHandler> m_handler;
    UINT_PTR m_identity = 0;
    unsigned m_interval;
    bool m_enabled = false;
    bool m_running = false;
    bool m_autoDisable = false;
    TimerEvent m_onTimer;
};

} // namespace gui
