#include "ui/TrayClick.h"

#include <utility>

namespace ui
{

TrayClickActions TrayClick::LButtonDown(bool hasDblClickHandler) noexcept
{
    m_clickStarted = true;
    return {.startTimer = hasDblClickHandler};
}

TrayClickActions TrayClick::LButtonUp(bool timerRunning) noexcept
{
    const bool started = std::exchange(m_clickStarted, false);
    if (!started)
        return {};
    if (timerRunning)
    {
        m_clickReady = true;
        return {};
    }
    m_clickReady = false;
    return {.raiseClick = true};
}

TrayClickActions TrayClick::TimerElapsed() noexcept
{
    const bool click = m_clickReady && !m_doubleClicked;
    if (click)
        m_clickReady = false;
    m_doubleClicked = false;
    return {.stopTimer = true, .raiseClick = click};
}

TrayClickActions TrayClick::LButtonDblClk() noexcept
{
    m_clickReady = false;
    m_doubleClicked = true;
    return {.raiseDblClick = true};
}

} // namespace ui
