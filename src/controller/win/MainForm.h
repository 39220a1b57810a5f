// The controller: the hidden main window that owns the target's state for the life of the program.
// Other instances find it by its class name and its caption "KV2-" + the program path.
//
// The window only routes what arrives to the parts that act: the menu's commands through RunCommand
// (what a command means) to the launch (start, window search, the picker), the target session
// (attachment, activation, the tray), the views (tray icon, icon window, hot key, menu marks), the close
// flows and the option store; a duplicate start to the launch. The monitor ticks by itself. Everything
// runs on the user-interface thread. The waits (the window search after a launch, the close wait) are
// nested message loops: ticks and commands run inside them.
#pragma once

#include "controller/Commands.h"
#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/win/CloseFlows.h"
#include "controller/win/Companions.h"
#include "controller/win/ControllerWait.h"
#include "controller/win/EarlyLaunch.h"
#include "controller/win/Monitor.h"
#include "controller/win/OptionStore.h"
#include "controller/win/TargetLaunch.h"
#include "controller/win/TargetJournal.h"
#include "startup/Build.h"
#include "controller/win/TargetSession.h"
#include "controller/win/Views.h"
#include "gui/SimpleTimer.h"
#include "gui/Window.h"

#include <string>

namespace controller
{

// The journals of changes to targets in the local data folder (none before start-up has set it): KV2
// records in the user's, KV2A in the elevated programs' own and undoes from both.
JournalFiles JournalFilesOfThisProgram();

class TmainForm : public gui::Window
{
  public:
    // Creates the hidden controller window and runs FormCreate. Raises WinError when one of its own
    // objects cannot be created.
    // `early`: the launch made before the controller (see LaunchEarly), which its first start follows.
    explicit TmainForm(EarlyLaunch early = {});
    ~TmainForm() override;

    // The forms besides the controller (null: none, as at the end).
    void SetCompanions(Companions *companions) noexcept;

    // The message loop has ended, whoever ended it (a WM_QUIT from another program skips the close):
    // the target is given back what must not be lost.
    void LoopEnded();

    // The icon panel's owner: the views.
    ui::PanelOwner &PanelOwner() noexcept
    {
        return m_views;
    }

    // The target's session, which owns the target's windows.
    TargetSession &Session() noexcept
    {
        return m_session;
    }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void FormCreate();
    void FormDestroy() noexcept;
    bool HandOver();

    void OnCommand(UINT id);
    void PerformEffects(const CommandEffects &effects);
    void RunDialog(CommandDialog dialog);
    void RunFlow(CommandFlow flow);
    void WMWheelKey(int index);

    gui::TSimpleTimer m_timerClose;
    Companions *m_companions = nullptr;

    // The one record of the controller's state: the target's options (translucency, caption text, the
    // remembered rectangle, the wheel keys and the display mode are its TransValue, Edit, X/Y/W/H,
    // WheelKey1/2 and Display) and what the menu shows of the target. The menu is drawn from it,
    // commands change it, saves write its options.
    MenuInputs m_model;
    ControllerState m_state; // what the controller is doing; its waits nest
    ControllerWait m_wait;
    TargetSession m_session{m_model, JournalFilesOfThisProgram(),
                            startup::kElevatedBuild ? JournalSystem::RealWithLabels()
                                                    : JournalSystem::Real()};
    OptionStore m_optionStore{[this] { return m_views.CurrentOptions(); }};
    TargetLaunch m_launch{m_model, m_state, m_wait, m_views, m_session, m_optionStore};
    Views m_views{m_model, m_state, m_session, m_launch, m_optionStore};
    CloseFlows m_closeFlows{m_session, m_launch, m_state, m_wait, m_views, m_optionStore};
    Restarts m_restarts{m_model, m_session, m_launch, m_views};
    Monitor m_monitor{m_model, m_session, m_launch, m_restarts,
                      m_state, m_wait,    m_views,  [this] { m_closeFlows.CloseController(); }};
};

} // namespace controller
