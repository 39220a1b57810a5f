// The controller: the hidden main window that owns the target's state for the life of the program.
// Other instances find it by its class name and its caption "KV2-" + the program path.
//
// The window routes what arrives to the parts that act: the menu's commands through RunCommand (what a
// command means) to the target session (start, search, attachment, activation, the tray), the close
// flows and the option store; the monitor's tick (every 500 ms) to the monitor; a duplicate start to
// the instance link. Everything runs on the user-interface thread. The waits (the window search after
// a launch, the close wait) are nested message loops: ticks and commands run inside them.
#pragma once

#include "common/win/Unique.h"
#include "controller/Commands.h"
#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/Options.h"
#include "controller/win/CloseFlows.h"
#include "controller/win/Companions.h"
#include "controller/win/InstanceLink.h"
#include "controller/win/ControllerView.h"
#include "controller/win/ControllerWait.h"
#include "controller/win/Monitor.h"
#include "controller/win/OptionStore.h"
#include "controller/win/TargetSession.h"
#include "gui/PopupMenu.h"
#include "gui/Window.h"
#include "ui/win/CoolTrayIcon.h"
#include "ui/win/HookHotKey.h"
#include "ui/win/IconPanel.h"
#include "gui/SimpleTimer.h"

#include <memory>
#include <optional>
#include <string>

namespace controller
{

// The journal of changes to targets in the data folder; empty before start-up has set the data folder.
std::u16string JournalPath();

class TmainForm : public gui::Window, public ui::PanelOwner, private ControllerView
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

    // The icon panel's owner: its options are loaded when it is created and saved when they change.
    void PanelFormCreate(ui::IconPanel &panel) override;
    void PanelOptionsChanged() override;

    // The menu shared by the tray icon and the icon panel; its commands go to this window.
    HMENU PPMenu() const noexcept override
    {
        return m_menu.Handle();
    }
    HWND CommandWindow() const noexcept override
    {
        return Handle();
    }

    // The target's session, which owns the target's windows.
    TargetSession &Session() noexcept
    {
        return m_session;
    }

    // Brings the target forward, or starts it when it is not running.
    void ActivateTarget();
    // The tray icon's and the panel picture's click and double click.
    void TrayIconClick() override;
    void TrayIconDblClick() override;

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // ControllerView
    void ShowViews() override;
    void ShowStarting(bool starting) override;
    void ShowTip(const std::u16string &tip) override;
    void ShowTitle(const std::u16string &title) override;
    void ShowCommandLine(const std::u16string &commandLine) override;
    void MenuChanged() override;
    int Question(const std::u16string &text, UINT style) override;
    void SetClicksEnabled(bool enabled) override;
    void EndViews() override;
    void CloseLater() override;
    HWND Window() const override
    {
        return Handle();
    }

    void FormCreate();
    void FormDestroy() noexcept;
    bool HandOver();
    TrayOptions CurrentOptions() const;

    void OnCommand(UINT id);
    void PerformEffects(const CommandEffects &effects);
    void RunDialog(CommandDialog dialog);
    void RunFlow(CommandFlow flow);
    void PPMenuPopup();
    void PPPriorityClick();
    void PPTransClick();
    void OpenTaskEditor();
    void ShowDisplayMode(int displayMode);
    void WireClicks();
    void WMWheelKey(int index);

    gui::PopupMenu m_menu;
    ui::TCoolTrayIcon m_trayIcon;
    common::win::UniqueIcon m_waitingIcon; // image 0
    common::win::UniqueIcon m_targetIcon;  // image 1
    gui::TSimpleTimer m_timer;
    gui::TSimpleTimer m_timerClose;
    std::unique_ptr<ui::THookHotKey> m_hookHotKey;

    Companions *m_companions = nullptr;
    ui::IconPanel *m_panel = nullptr; // made when it is first shown
    bool m_viewsShown = false;

    // The one record of the controller's state: the target's options (translucency, caption text, the
    // remembered rectangle, the wheel keys and the display mode are its TransValue, Edit, X/Y/W/H,
    // WheelKey1/2 and Display) and what the menu shows of the target. The menu is drawn from it,
    // commands change it, saves write its options.
    MenuInputs m_model;
    TrayOptions m_panelOptions;            // the panel's keys as loaded, saved back when there is no panel
    OptionStore m_optionStore;             // declared after what CurrentOptions reads
    std::optional<MenuInputs> m_drawnMenu; // what MenuChanged drew last

    ControllerState m_state; // what the controller is doing; its waits nest
    ControllerWait m_wait;
    TargetSession m_session{m_model, m_state, m_wait, *this, JournalPath()};
    CloseFlows m_closeFlows{m_session, m_state, m_wait, *this, m_optionStore};
    Monitor m_monitor{m_model, m_session, m_state, m_wait, *this, [this] { m_closeFlows.CloseController(); }};
};

} // namespace controller
