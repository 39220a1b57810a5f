// The ways the target and KV2 end: "閉じる" (ask the target to close and wait for it), "再起動",
// "強制終了", "終了", "KV2を閉じる", and the end of the session.
#pragma once

#include "controller/ControllerState.h"
#include "controller/win/ControllerView.h"
#include "controller/win/ControllerWait.h"
#include "controller/win/OptionStore.h"
#include "controller/win/TargetLaunch.h"
#include "controller/win/TargetSession.h"

namespace controller
{

class CloseFlows
{
  public:
    CloseFlows(TargetSession &session, TargetLaunch &launch, ControllerState &state, ControllerWait &wait,
               ControllerView &view, OptionStore &optionStore) noexcept
        : m_session(session), m_launch(launch), m_state(state), m_wait(wait), m_view(view),
          m_optionStore(optionStore)
    {
    }

    // "閉じる": the target is asked to close and waited for; one that stays is offered to "強制終了".
    void Exit();
    // "再起動": "閉じる", then a new start once the target has gone.
    void Restart();
    // "強制終了" of the process seen at attachment, and of no other.
    void Terminate();
    // "終了": stops a start in progress, asks the target to close and ends KV2 without waiting.
    void CloseAll();
    // "KV2を閉じる": KV2 ends, the target stays (shown again when it was in the tray).
    void CloseController();
    // The session may end: only what must not be lost happens now (another program may still cancel).
    void QueryEndSession();
    // The session really ends: the target is asked to close (with the usual wait), then KV2 ends.
    void EndSession();

  private:
    void CloseWait();
    bool AskForceTerminate();
    void EndQuery();

    TargetSession &m_session;
    TargetLaunch &m_launch;
    ControllerState &m_state;
    ControllerWait &m_wait;
    ControllerView &m_view;
    OptionStore &m_optionStore;
};

} // namespace controller
