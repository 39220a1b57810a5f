#include "ui/TrayClick.h"

#include <utility>

namespace ui
{

TrayNotification DecodeTrayNotification(std::uint64_t wParam, std::uint64_t lParam) noexcept
{
    const auto low = static_cast<unsigned>(lParam & 0xFFFF);
    const auto high = static_cast<unsigned>((lParam >> 16) & 0xFFFF);
    if (high == 0)
        return {.event = low, .iconId = static_cast<unsigned>(wParam & 0xFFFFFFFF)};
    return {.event = low,
            .iconId = high,
            .hasPoint = true,
            .x = static_cast<std::int16_t>(wParam & 0xFFFF),
            .y = static_cast<std::int16_t>((wParam >> 16) & 0xFFFF)};
}

TrayClickActions TrayClick::LButtonDown(bool hasDblClickHandler) noexcept
{
    m_rightPressed = false;
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

bool TrayClick::ContextMenu() noexcept
{
    return !std::exchange(m_rightPressed, false);
}

TrayClickActions TrayClick::KeySelect(bool hasDblClickHandler, std::uint32_t time) noexcept
{
    m_rightPressed = false;
    const bool echo = m_keySelected && time - m_keySelectTime < kKeySelectEcho;
    m_keySelected = true;
    m_keySelectTime = time;
    if (echo)
        return {};
    return {.raiseClick = !hasDblClickHandler, .raiseDblClick = hasDblClickHandler};
}

} // namespace ui
