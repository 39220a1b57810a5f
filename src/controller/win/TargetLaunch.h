// How the target comes to be: the first start (running copies of the program offered to the picker,
// then the launch unless the task says not to), the launch and the wait for its window, the fall-back
// search, the question whether the task's program changes to the one that showed, the hand-over to
// KV2A of a program that needs administrator rights, and the picker's choice. The window found goes to
// the session, which attaches it.
#pragma once

#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/win/Companions.h"
#include "controller/win/ControllerView.h"
#include "controller/win/ControllerWait.h"
#include "controller/win/EarlyLaunch.h"
#include "controller/win/OptionStore.h"
#include "controller/win/TargetSession.h"
#include "procwin/win/ProgramWindows.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace controller
{

class TargetLaunch
{
  public:
    TargetLaunch(MenuInputs &model, ControllerState &state, ControllerWait &wait, ControllerView &view,
                 TargetSession &session, OptionStore &optionStore) noexcept
        : m_model(model), m_state(state), m_wait(wait), m_view(view), m_session(session),
          m_optionStore(optionStore)
    {
    }

    // The forms that give the picker (null: none). With a picker, the first start looks for copies of
    // the program already running.
    void SetCompanions(Companions *companions) noexcept
    {
        m_companions = companions;
    }

    // The launch made before the controller existed (see LaunchEarly): the first start follows it
    // instead of launching, and asks about no running copies (there were none).
    void AdoptEarlyLaunch(EarlyLaunch launch) noexcept
    {
        m_early = std::move(launch);
    }
    bool HasEarlyLaunch() const noexcept
    {
        return m_early.Made();
    }
    // Where the last start asked the target to appear (none: where it liked, or it was not started).
    const std::optional<procwin::Bounds> &Placement() const noexcept
    {
        return m_placement;
    }

    // The first tick's start: offers running copies of the program to the picker, then starts the target
    // unless the task says not to. The views appear on every way out, a failed launch included.
    void FirstStart();
    // Starts the target and waits for its window; false when no window was attached (a message has
    // said so unless KV2 is closing or the wait was stopped).
    bool Start();
    // Start() and, when it succeeded, shows the new window as the task says.
    bool StartAndShow();
    // Brings the target forward with the options applied, or starts it when it is not running.
    void Activate();
    // "修正": the user chooses the target among the program's windows.
    void Modify();
    // The start after the program ended by itself ("自動再起動"): a copy of the program started since
    // the ended one (a program that updated itself) is taken without asking; otherwise a start as the
    // user's, which shows no message when it fails. False when no target was attached.
    bool Restart();
    // Called when the user starts the target (not when it only comes forward).
    void SetUserStartHook(std::function<void()> hook)
    {
        m_userStarts = std::move(hook);
    }

  private:
    void LaunchFirst();
    HWND SearchTargetWindow(std::u16string &foundPath, bool &otherProgram, procwin::Descendants *family);
    void AskProgramChange(const std::u16string &foundPath);
    bool HandToElevatedBuild();

    MenuInputs &m_model;
    ControllerState &m_state;
    ControllerWait &m_wait;
    ControllerView &m_view;
    TargetSession &m_session;
    OptionStore &m_optionStore;
    Companions *m_companions = nullptr;
    // The program's windows as last listed (at the first start, or by the picker), which a start does
    // not take for its own. Not owned.
    std::vector<HWND> m_listed;
    EarlyLaunch m_early;
    std::optional<procwin::Bounds> m_placement;
    DWORD m_launchedProcess = 0; // the process the last start created
    bool m_quiet = false;        // a failed start says nothing (a restart)
    std::function<void()> m_userStarts;
};

} // namespace controller
