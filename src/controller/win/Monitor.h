// The monitor: every half second it looks at the target (the tip, the remembered rectangle, the fixed
// caption, what a hung target missed, minimizing to the tray, the wheel hook) and ends KV2 when the
// target is gone and KV2 is not resident. It redraws the menu only when what the menu shows changed.
#pragma once

#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/win/ControllerView.h"
#include "controller/win/ControllerWait.h"
#include "controller/win/TargetSession.h"

#include <functional>

namespace controller
{

class Monitor
{
  public:
    // `endWithoutTarget`: ends KV2 (the target is gone and nothing keeps KV2 running).
    Monitor(MenuInputs &model, TargetSession &session, ControllerState &state, ControllerWait &wait,
            ControllerView &view, std::function<void()> endWithoutTarget)
        : m_model(model), m_session(session), m_state(state), m_wait(wait), m_view(view),
          m_endWithoutTarget(std::move(endWithoutTarget))
    {
    }

    // The next tick starts the target first (the program's first start).
    void ScheduleFirstStart() noexcept
    {
        m_firstStartDue = true;
    }

    void Tick();

  private:
    void Running(HWND target);
    void Absent();
    void KeepMouseHook(HWND target);

    MenuInputs &m_model;
    TargetSession &m_session;
    ControllerState &m_state;
    ControllerWait &m_wait;
    ControllerView &m_view;
    std::function<void()> m_endWithoutTarget;
    bool m_firstStartDue = false;
    int m_hookResetCount = 0; // ticks until the wheel hook is installed again
};

} // namespace controller
