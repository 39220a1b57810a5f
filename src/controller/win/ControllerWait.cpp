#include "controller/win/ControllerWait.h"

#include "gui/MessagePump.h"

#include <algorithm>
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
    const auto over = [&] { return m_ticksLeft <= 0 || m_stopped || (cancelled && cancelled()); };
    std::vector<HANDLE> handles(wakes.handles.begin(), wakes.handles.end());
    DWORD interval = wakes.pollInterval;
    for (;;)
    {
        if (over() || pass())
            break;
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= kWaitLimit)
            break;
        bool eventCame = false;
        const gui::PumpEnd end = gui::PumpUntil(
            [&] {
                eventCame = !over() && wakes.eventCame && wakes.eventCame();
                return eventCame || over();
            },
            {.timeout = static_cast<DWORD>(std::min<ULONGLONG>(interval, kWaitLimit - elapsed)),
             .checkEachMessage = false,
             .quitEnds = false,
             .handles = handles});
        if (end == gui::PumpEnd::Signalled || end == gui::PumpEnd::Failed)
            handles.clear(); // it stays signalled: it has had its say
        if (end == gui::PumpEnd::Deadline)
            interval = std::min(interval * 2, std::max(wakes.pollLimit, wakes.pollInterval));
        else
            interval = wakes.pollInterval;
    }
    m_ticksLeft = 0;
}

void ControllerWait::Tick() noexcept
{
    if (m_ticksLeft > 0)
        --m_ticksLeft;
}

} // namespace controller
