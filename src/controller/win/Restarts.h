// "自動再起動": the target's process is followed from its attachment (its end arrives as a message,
// nothing polls), and when it ends the restart policy decides whether and when the program starts
// again, as a quiet start of the launch. While a restart is due, or the process outlives its window,
// KV2 stays whatever "常駐" says.
#pragma once

#include "controller/AutoRestart.h"
#include "controller/MenuModel.h"
#include "controller/win/ControllerView.h"
#include "controller/win/TargetLaunch.h"
#include "controller/win/TargetSession.h"
#include "gui/SimpleTimer.h"
#include "procwin/win/ProcessEnd.h"

#include <windows.h>

#include <optional>

namespace controller
{

// Posted to the controller window when the watched target process ends (wParam: its id).
constexpr UINT WM_TARGETENDED = WM_APP + 3;

class Restarts
{
  public:
    Restarts(MenuInputs &model, TargetSession &session, TargetLaunch &launch, ControllerView &view);

    // At attachment, and on the tick while the target runs: a new target's process is watched from now
    // on, while restarts are on (no handle is kept with "しない").
    void Look();
    // The watched process ended (WM_TARGETENDED).
    void Ended(DWORD processId);
    // On the tick once the target's window has gone: an end no loop has told yet (during a menu), or
    // for a process that could not be watched, the window's end (a normal end).
    void Gone();
    // The user asked for the target's end: it is not undone.
    void EndRequested() noexcept
    {
        m_policy.EndRequested();
    }
    // The Windows session ends (true), or its end was cancelled (false).
    void SessionEnding(bool ending) noexcept
    {
        m_policy.SessionEnding(ending);
    }
    // The user starts the target: a pause is cut short, and restarts stopped at the limit may come again.
    void UserStarted() noexcept;
    // KV2 stays: a restart is due, or the target's process still runs after its window went.
    bool KeepsKv2() const;
    // Restarts stopped at the limit.
    bool Stopped() const noexcept
    {
        return m_policy.Stopped();
    }

  private:
    void Due(std::optional<std::chrono::milliseconds> pause, std::optional<std::uint32_t> exitCode);
    void RestartNow();

    MenuInputs &m_model;
    TargetSession &m_session;
    TargetLaunch &m_launch;
    ControllerView &m_view;
    RestartPolicy m_policy;
    std::optional<procwin::ProcessEndWatch> m_watch;
    DWORD m_watched = 0;
    bool m_due = false;
    gui::TSimpleTimer m_pause;
};

} // namespace controller
