// The monitor: every half second it looks at the target (the tip, the remembered rectangle, the fixed
// caption, what a hung target missed, minimizing to the tray, the wheel hook) and ends KV2 when the
// target is gone and KV2 is not resident. It redraws the menu only when what the menu shows changed.
#pragma once

#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/win/ControllerView.h"
#include "controller/win/ControllerWait.h"
#include "controller/win/Restarts.h"
#include "controller/win/TargetLaunch.h"
#include "controller/win/TargetSession.h"
#include "gui/SimpleTimer.h"
#include "procwin/MonitorPlacement.h"

#include <functional>
#include <string>

namespace controller
{

class Monitor
{
  public:
    // `endWithoutTarget`: ends KV2 (the target is gone and nothing keeps KV2 running).
    Monitor(MenuInputs &model, TargetSession &session, TargetLaunch &launch, Restarts &restarts,
            ControllerState &state, ControllerWait &wait, ControllerView &view,
            std::function<void()> endWithoutTarget)
        : m_model(model), m_session(session), m_launch(launch), m_restarts(restarts), m_state(state),
          m_wait(wait), m_view(view), m_endWithoutTarget(std::move(endWithoutTarget)),
          m_timer(kMonitorInterval, [this] { Tick(); })
    {
    }

    // The ticks begin, the first of which starts the target (the program's first start). They stop
    // once KV2 is closing.
    void Start();

    void Tick();

    // The monitors changed: where the system then moves the target is not a place to remember.
    void DisplayChanged();

  private:
    void Running(HWND target);
    void Absent();
    void KeepMouseHook(HWND target);
    void RecordPlace(HWND target);

    MenuInputs &m_model;
    TargetSession &m_session;
    TargetLaunch &m_launch;
    Restarts &m_restarts;
    ControllerState &m_state;
    ControllerWait &m_wait;
    ControllerView &m_view;
    std::function<void()> m_endWithoutTarget;
    bool m_firstStartDue = false;
    int m_hookResetCount = 0; // ticks until the wheel hook is installed again
    AnswerWatch m_answers;
    procwin::PlaceWatch m_places;
    HWND m_placeTarget = nullptr;
    std::u16string m_layout; // the monitors as they are, in the stored form
    gui::TSimpleTimer m_timer;
};

} // namespace controller
