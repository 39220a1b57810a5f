#include "controller/win/Restarts.h"

#include "common/Text.h"
#include "controller/win/ErrorLog.h"
#include "startup/ProcessState.h"


namespace controller
{

namespace
{

// The system's tick count as the policy's time (the C++ library's steady clock would bring its POSIX
// thread layer along).
RestartPolicy::Clock::time_point Now() noexcept
{
    return RestartPolicy::Clock::time_point(std::chrono::milliseconds(GetTickCount64()));
}

RestartMode ModeOf(const TrayOptions &options) noexcept
{
    return static_cast<RestartMode>(options.AutoRestart);
}

std::u16string Hex(std::uint32_t value)
{
    std::u16string text = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += u"0123456789ABCDEF"[(value >> shift) & 0xF];
    return text;
}

} // namespace

Restarts::Restarts(MenuInputs &model, TargetSession &session, TargetLaunch &launch, ControllerView &view)
    : m_model(model), m_session(session), m_launch(launch), m_view(view), m_pause(1000, [this] { RestartNow(); })
{
    m_pause.SetEnabled(false);
}

void Restarts::Look()
{
    // Only while restarts are on: no handle to the target stays open otherwise.
    if (ModeOf(m_model.options) == RestartMode::Never)
    {
        m_watch.reset();
        m_watched = 0;
        return;
    }
    const DWORD id = m_session.Identity().id;
    if (id == 0 || id == m_watched)
        return;
    m_watched = id;
    m_watch.emplace(id, m_view.Window(), WM_TARGETENDED);
    m_policy.Started(Now());
}

void Restarts::Ended(DWORD processId)
{
    if (processId != m_watched || !m_watch)
        return;
    const std::optional<std::uint32_t> exitCode = m_watch->ExitCode();
    m_watch.reset();
    Due(m_policy.Ended(ModeOf(m_model.options), exitCode, Now()), exitCode);
}

void Restarts::Gone()
{
    if (!m_watch)
        return;
    if (m_watch->Watching())
    {
        // The end is told by the message loop; a loop of the system (the menu, a message box) does not
        // wait on the process, so its end is found here meanwhile.
        if (m_watch->HasEnded())
            Ended(m_watched);
        return;
    }
    m_watch.reset();
    Due(m_policy.Ended(ModeOf(m_model.options), std::nullopt, Now()), std::nullopt);
}

void Restarts::Due(std::optional<std::chrono::milliseconds> pause, std::optional<std::uint32_t> exitCode)
{
    if (pause)
    {
        m_due = true;
        m_pause.SetInterval(static_cast<UINT>(pause->count()));
        m_pause.SetEnabled(true);
        return;
    }
    if (m_policy.Stopped())
    {
        AppendErrorLog(startup::Paths().ErrorLogPath,
                       m_session.ProgramPath() + u"の自動再起動を停止しました（" +
                           common::DecimalText(m_policy.EndsCounted()) + u"回終了、終了コード " +
                           (exitCode ? Hex(*exitCode) : u"不明") + u"）。");
        m_view.MenuChanged();
    }
}

void Restarts::RestartNow()
{
    m_pause.SetEnabled(false);
    if (!std::exchange(m_due, false) || ModeOf(m_model.options) == RestartMode::Never ||
        IsWindow(m_session.TargetWnd()))
        return;
    // A restart that starts nothing counts as one more failed end.
    if (!m_launch.Restart())
        Due(m_policy.Ended(ModeOf(m_model.options), 0xFFFFFFFF, Now()), std::nullopt);
}

void Restarts::UserStarted() noexcept
{
    m_policy.UserStarted();
    m_due = false;
    m_pause.SetEnabled(false);
}

bool Restarts::KeepsKv2() const
{
    if (ModeOf(m_model.options) == RestartMode::Never)
        return false;
    return m_due || (m_watch && m_watch->Watching() && !m_watch->HasEnded());
}

} // namespace controller
