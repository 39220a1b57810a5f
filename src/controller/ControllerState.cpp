#include "controller/ControllerState.h"

namespace controller
{

namespace
{

using Phase = ControllerState::Phase;

// Which phase may begin inside which. A start inside a restart is the restart's own, as is its close
// wait; a tray click during a close wait may start the target once it has gone, as before the wait
// ends; nothing begins inside a start but the end of KV2 or of the session.
bool Allowed(Phase current, Phase next) noexcept
{
    if (current == Phase::Closing)
        return false;
    if (next == Phase::Closing)
        return true;
    switch (current)
    {
    case Phase::Idle:
        return next != Phase::Idle;
    case Phase::Starting:
        return next == Phase::SessionEnding;
    case Phase::WaitingToClose:
        return next == Phase::Starting || next == Phase::SessionEnding;
    case Phase::Restarting:
        return next == Phase::WaitingToClose || next == Phase::Starting || next == Phase::SessionEnding;
    case Phase::SessionEnding:
        return next == Phase::WaitingToClose;
    case Phase::Closing:
        return false;
    }
    return false;
}

} // namespace

Phase ControllerState::Current() const noexcept
{
    if (m_closing)
        return Phase::Closing;
    return m_depth == 0 ? Phase::Idle : m_phases[m_depth - 1];
}

bool ControllerState::Enter(Phase phase) noexcept
{
    if (!Allowed(Current(), phase))
        return false;
    if (phase == Phase::Closing)
    {
        m_closing = true;
        return true;
    }
    if (m_depth == kDepth)
        return false;
    m_phases[m_depth++] = phase;
    return true;
}

void ControllerState::Leave(Phase phase) noexcept
{
    if (m_depth > 0 && m_phases[m_depth - 1] == phase)
        --m_depth;
}

bool ControllerState::Within(Phase phase) const noexcept
{
    if (phase == Phase::Closing)
        return m_closing;
    for (std::size_t i = 0; i < m_depth; ++i)
        if (m_phases[i] == phase)
            return true;
    return phase == Phase::Idle && m_depth == 0 && !m_closing;
}

bool ControllerState::MayStart() const noexcept
{
    return !m_closing && !Within(Phase::Starting) && !Within(Phase::SessionEnding);
}

bool ControllerState::MayEndWithoutTarget() const noexcept
{
    return !Within(Phase::Starting) && !Within(Phase::Restarting);
}

} // namespace controller
