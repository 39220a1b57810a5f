#include "gui/SimpleTimer.h"

#include "gui/SharedWindow.h"

#include <utility>

namespace gui
{

namespace
{

int runningTimers = 0;

} // namespace

// The hidden message-only window of the process that receives the ticks of every TSimpleTimer. The
// timers share it through their references; it is destroyed with the last timer.
class TSimpleTimerHandler : public gui::SharedWindow<TSimpleTimerHandler, TSimpleTimer, UINT_PTR>
{
  public:
    TSimpleTimerHandler()
    {
        CreateParams params{};
        params.className = L"KV2SimpleTimerHandler";
        params.style = 0;
        params.owner = HWND_MESSAGE;
        Create(params);
    }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_TIMER)
            return Window::OnMessage(message, wParam, lParam);
        // The tick may destroy the timer and with it this window: nothing of either is used after it.
        if (TSimpleTimer *timer = Find(static_cast<UINT_PTR>(wParam)))
            timer->Tick();
        return 0;
    }

};

TSimpleTimer::TSimpleTimer(unsigned interval, TimerEvent onTimer)
    : m_handler(TSimpleTimerHandler::Acquire()), m_interval(interval), m_onTimer(std::move(onTimer))
{
    m_identity = m_handler->Register(*this);
}

TSimpleTimer::~TSimpleTimer()
{
    Stop(true);
    m_handler->Unregister(m_identity);
}

HWND TSimpleTimer::HandlerWindow() const noexcept
{
    return m_handler->Handle();
}

void TSimpleTimer::SetInterval(unsigned interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    if (!m_enabled)
        return;
    if (interval == 0)
        Stop(false);
    else
        Start();
}

void TSimpleTimer::SetEnabled(bool enabled)
{
    if (enabled)
        Start();
    else
        Stop(true);
}

void TSimpleTimer::SetOnTimer(TimerEvent onTimer)
{
    m_onTimer = std::move(onTimer);
    if (!m_enabled)
        return;
    if (!m_onTimer)
        Stop(false);
    else if (!m_running)
        Start();
}

bool TSimpleTimer::Start()
{
    if (m_interval == 0)
        return false;
    if (m_running)
        Stop(false);
    if (SetTimer(m_handler->Handle(), m_identity, m_interval, nullptr) == 0)
        return false;
    m_enabled = true;
    m_running = true;
    ++runningTimers;
    return true;
}

bool TSimpleTimer::Stop(bool disable)
{
    if (disable)
        m_enabled = false;
    if (!m_running || !KillTimer(m_handler->Handle(), m_identity))
        return false;
    m_running = false;
    if (runningTimers > 0)
        --runningTimers;
    return true;
}

int TSimpleTimer::RunningCount() noexcept
{
    return runningTimers;
}

void TSimpleTimer::Tick()
{
    if (!m_running)
        return; // a tick already queued when the timer was stopped
    if (m_autoDisable)
        Stop(true);
    if (m_onTimer)
    {
        // A copy: the event may destroy this timer, and with it m_onTimer, while it runs.
        const TimerEvent onTimer = m_onTimer;
        onTimer();
    }
}

} // namespace gui
