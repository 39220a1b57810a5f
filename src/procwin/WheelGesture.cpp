#include "procwin/WheelGesture.h"

namespace procwin
{

unsigned ClickTimerInterval(unsigned doubleClickTime) noexcept
{
    return static_cast<unsigned>(2ull * doubleClickTime / 3);
}

int MouseHookResetCount(unsigned monitorInterval) noexcept
{
    constexpr int kSeconds = 300;
    if (monitorInterval == 0)
        return 0;
    return static_cast<int>(1000 / monitorInterval) * kSeconds;
}

WheelActions WheelGesture::On(WheelEvent event, const WheelInputs &inputs) noexcept
{
    switch (event)
    {
    case WheelEvent::MButtonDown:
        return ButtonDown(inputs);
    case WheelEvent::MButtonUp:
        return ButtonUp(inputs);
    case WheelEvent::TimerExpired:
        m_state = WheelState::Idle;
        return {.stopTimer = true};
    }
    return {};
}

WheelActions WheelGesture::ButtonDown(const WheelInputs &inputs) noexcept
{
    WheelActions actions;
    if (m_state == WheelState::Idle)
    {
        actions.startTimer = true;
        actions.timerInterval = ClickTimerInterval(inputs.doubleClickTime);
        m_state = WheelState::FirstDown;
    }
    else if (m_state == WheelState::FirstUp && inputs.timerRunning)
    {
        actions.stopTimer = true;
        m_state = WheelState::SecondDown;
    }
    return actions;
}

WheelActions WheelGesture::ButtonUp(const WheelInputs &inputs) noexcept
{
    WheelActions actions;
    // A press that outlasted the timer: the expiry has put the state back to Idle.
    if ((m_state == WheelState::Idle || m_state == WheelState::FirstDown) && !inputs.timerRunning)
    {
        actions.stopTimer = true;
        if (inputs.key1Active)
            actions.postKey1 = actions.resultZero = true;
    }
    if (m_state == WheelState::FirstDown)
        m_state = WheelState::FirstUp;
    else if (m_state == WheelState::SecondDown)
    {
        m_state = WheelState::Done;
        if (inputs.key2Active)
            actions.postKey2 = actions.resultZero = true;
        else
            m_state = WheelState::Idle;
    }
    return actions;
}

} // namespace procwin
