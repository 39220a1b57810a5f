#include "controller/win/SettingsKeeper.h"

#include <utility>

namespace controller
{

SettingsKeeper::SettingsKeeper(std::function<bool(HWND)> putBack)
    : m_putBack(std::move(putBack)), m_due(1, [this] { LookNow(); })
{
    m_due.SetAutoDisable(true);
}

void SettingsKeeper::Follow(HWND target)
{
    if (m_events != nullptr && m_events->Window() == target)
        return;
    m_due.Stop();
    m_events.reset();
    if (target != nullptr)
        m_events = std::make_unique<procwin::WindowChangeEvents>(target, [this] { Look(); });
}

void SettingsKeeper::Look()
{
    if (m_events == nullptr || m_due.Enabled())
        return;
    const std::uint64_t now = GetTickCount64();
    const std::uint64_t allowed = m_pacer.NextAllowed(now);
    if (allowed <= now)
    {
        LookNow();
        return;
    }
    m_due.SetInterval(static_cast<unsigned>(allowed - now));
    m_due.Start();
}

void SettingsKeeper::LookNow()
{
    // Putting back waits for the target's thread, and events are delivered meanwhile: one that comes
    // during a look is answered after it, through the pace.
    if (m_looking)
    {
        m_lookAgain = true;
        return;
    }
    const HWND target = m_events != nullptr ? m_events->Window() : nullptr;
    if (!IsWindow(target))
        return;
    m_looking = true;
    const bool changed = m_putBack(target);
    m_looking = false;
    if (changed)
        m_pacer.Applied(GetTickCount64());
    if (std::exchange(m_lookAgain, false))
        Look();
}

} // namespace controller
