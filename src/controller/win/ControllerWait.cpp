#include "controller/win/ControllerWait.h"

#include "gui/MessagePump.h"

#include <vector>

namespace controller
{

namespace
{

// Ticks of a wait: one minute of the monitor.
constexpr int kWaitTicks = 60000 / kMonitorInterval;
// The same minute by the clock, with a little room so that the ticks decide while the monitor runs.
constexpr DWORD kWaitLimit = 61000;

} // namespace

void ControllerWait::Run(const std::function<bool()> &pass, const std::function<bool()> &cancelled,
                         const Wakes &wakes)
{
    m_ticksLeft = kWaitTicks;
    const ULONGLONG start = GetTickCount64();
    ULONGLONG nextPass = 0; // the first pass runs at once
    std::vector<HANDLE> handles(wakes.handles.begin(), wakes.handles.end());
    for (;;)
    {
        const auto done = [&] {
            if (m_ticksLeft <= 0 || m_stopped || (cancelled && cancelled()))
                return true;
            const ULONGLONG now = GetTickCount64();
            const bool woken = wakes.eventCame && wakes.eventCame();
            if (!woken && now < nextPass)
                return false;
            nextPass = now + wakes.pollInterval;
            return pass();
        };
        const ULONGLONG elapsed = GetTickCount64() - start;
        const gui::PumpEnd end = gui::PumpUntil(
            done, {.timeout = elapsed >= kWaitLimit ? 0 : static_cast<DWORD>(kWaitLimit - elapsed), .pollInterval = wakes.pollInterval, .checkEachMessage = false,
                   .quitEnds = false, .handles = handles});
        if (end != gui::PumpEnd::Signalled)
            break;
        // A signalled object makes the pass run now; it stays signalled, so it wakes no further pass.
        handles.clear();
        nextPass = 0;
    }
    m_ticksLeft = 0;
}

void ControllerWait::Tick() noexcept
{
    if (m_ticksLeft > 0)
        --m_ticksLeft;
}

} // namespace controller
