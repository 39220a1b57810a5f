#include "controller/win/CloseFlows.h"

#include "common/win/Unique.h"
#include "gui/Application.h"
#include "procwin/win/AppExecute.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowEvents.h"
#include "procwin/win/WindowInfo.h"

#include <span>

namespace controller
{

using Phase = ControllerState::Phase;

namespace
{

constexpr UINT kTerminateQuestionStyle = MB_YESNO | MB_ICONSTOP | MB_SYSTEMMODAL; // 0x1014

// How often the close wait looks by itself (milliseconds): soon after the request, then ever more seldom.
constexpr DWORD kClosePollFirst = 50;
constexpr DWORD kClosePollLimit = 2000;

// Leaves a phase however the scope is left.
class PhaseScope
{
  public:
    PhaseScope(ControllerState &state, Phase phase) noexcept : m_state(state), m_phase(phase)
    {
    }
    ~PhaseScope()
    {
        m_state.Leave(m_phase);
    }
    PhaseScope(const PhaseScope &) = delete;
    PhaseScope &operator=(const PhaseScope &) = delete;

  private:
    ControllerState &m_state;
    Phase m_phase;
};

} // namespace

void CloseFlows::CloseWait()
{
    if (!m_state.Enter(Phase::WaitingToClose))
        return;
    const PhaseScope done(m_state, Phase::WaitingToClose);
    procwin::CloseTargetWnd(m_session.TargetWnd());
    const DWORD processId = m_session.Identity().id;
    // The wait wakes when the process ends or one of its windows goes; it also looks by itself, ever
    // more seldom, for a target that closes its windows and goes on running without telling.
    procwin::ProcessWindowEvents events(processId);
    const common::win::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    const HANDLE signals[] = {process.Get()};
    m_wait.Run(
        [processId] { return procwin::FirstProcessWindow(processId) == nullptr; },
        {},
        {.eventCame = [&] { return events.TakeEvent(); },
         .pollInterval = kClosePollFirst,
         .pollLimit = kClosePollLimit,
         .handles = process ? std::span<const HANDLE>(signals) : std::span<const HANDLE>()});
}

bool CloseFlows::AskForceTerminate()
{
    return m_view.Question(m_session.ProgramPath() + u"を\r\n終了出来ません。\r\n強制終了しますか？",
                           kTerminateQuestionStyle) == IDYES;
}

void CloseFlows::Terminate()
{
    // The question before this may have stood for minutes: the target may have ended and its id been
    // given to an unrelated process since. Only the process seen at attachment is ended.
    const procwin::ProcessIdentity &identity = m_session.Identity();
    const HWND target = m_session.TargetWnd();
    if (IsWindow(target) && procwin::ProcessIdOf(target) != identity.id)
        return;
    procwin::TerminateIdentifiedProcess(identity);
}

void CloseFlows::Exit()
{
    if (!IsWindow(m_session.TargetWnd()))
        return;
    CloseWait();
    if (IsWindow(m_session.TargetWnd()) && AskForceTerminate())
        Terminate();
}

void CloseFlows::Restart()
{
    if (!m_state.Enter(Phase::Restarting))
        return;
    const PhaseScope done(m_state, Phase::Restarting);
    if (IsWindow(m_session.TargetWnd()))
    {
        CloseWait();
        if (IsWindow(m_session.TargetWnd()))
        {
            if (AskForceTerminate())
                Terminate();
            return;
        }
    }
    if (m_state.Closing())
        return;
    // A window shown anew may have dropped its translucency: it is applied once more.
    if (m_launch.StartAndShow())
        m_session.ReapplyTranslucency();
}

void CloseFlows::CloseAll()
{
    if (m_session.TargetWnd() == nullptr)
        m_wait.Stop();
    if (IsWindow(m_session.TargetWnd()))
        procwin::CloseTargetWnd(m_session.TargetWnd());
    CloseController();
}

// Closing the controller ends the program: the close query runs once, then the message loop ends.
void CloseFlows::CloseController()
{
    const bool sessionEnding = m_state.Within(Phase::SessionEnding);
    if (!m_state.Enter(Phase::Closing))
        return;
    EndQuery();
    if (!sessionEnding)
        gui::Application::Instance().Terminate();
}

void CloseFlows::QueryEndSession()
{
    m_session.ShowHidden();
    m_optionStore.SaveBeforeEnd();
}

void CloseFlows::EndSession()
{
    if (!m_state.Enter(Phase::SessionEnding))
        return;
    Exit();
    CloseController();
    gui::Application::Instance().Terminate();
}

void CloseFlows::EndQuery()
{
    m_session.End();
    m_optionStore.SaveBeforeEnd();
    m_view.EndViews();
}

} // namespace controller
