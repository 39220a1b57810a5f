// The controller's one way to wait: a nested message loop that runs commands and ticks while it waits,
// lasts at most a minute of the monitor (and of the clock), and ends early on a stop request.
#pragma once

#include <windows.h>

#include <functional>
#include <span>

namespace controller
{

// The monitor's interval in milliseconds; waits last 60000 / kMonitorInterval ticks.
constexpr unsigned kMonitorInterval = 500;

class ControllerWait
{
  public:
    // What wakes a wait besides its own passes.
    struct Wakes
    {
        // Asked after every batch of messages: true when something happened that the pass must look at
        // (the pass runs at once).
        std::function<bool()> eventCame = {};
        // Milliseconds from one pass to the next while nothing happens: the first interval, doubled after
        // each pass that found nothing up to the limit, and back to the first after an event.
        DWORD pollInterval = 20;
        DWORD pollLimit = 20;
        // Objects whose signalling makes the pass run at once (not owned).
        std::span<const HANDLE> handles = {};
    };

    // Runs `pass` until it answers true, the wait's minute has run out, Stop() was called or `cancelled`
    // holds; messages run between passes, and the thread sleeps until a message, an event, a signalled
    // object or the next poll. A WM_QUIT meanwhile is kept for afterwards.
    void Run(const std::function<bool()> &pass, const std::function<bool()> &cancelled, const Wakes &wakes);

    // One tick of the monitor: a wait counts its minute in ticks too.
    void Tick() noexcept;

    // Ends the running wait (and a wait started before the next Reset).
    void Stop() noexcept
    {
        m_stopped = true;
    }
    bool Stopped() const noexcept
    {
        return m_stopped;
    }
    void Reset() noexcept
    {
        m_stopped = false;
    }

  private:
    int m_ticksLeft = 0;
    bool m_stopped = false;
};

} // namespace controller
