// The controller: the hidden main window that owns the target's state for the life of the program.
// Other instances find it by its class name and its caption "KV2-" + the program path.
//
// Everything runs on the user-interface thread, driven by the monitor timer (every 500 ms), the tray
// icon and its menu, hot key 1, the icon panel and the system hooks. The waits (the window search after
// a launch, the close wait) are nested message loops: ticks and commands run inside them.
#pragma once

#include "common/win/Unique.h"
#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/Options.h"
#include "controller/win/OptionStore.h"
#include "gui/PopupMenu.h"
#include "gui/Window.h"
#include "procwin/win/WindowInfo.h"
#include "ui/win/CoolTrayIcon.h"
#include "ui/win/HookHotKey.h"
#include "ui/win/IconPanel.h"
#include "ui/win/SimpleTimer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace procwin
{
class TIRunFindForm;
}
namespace ui
{
class TKeyForm;
}

namespace controller
{

// Looked up by other KV2 instances (FindWindowW), so it never changes.
constexpr wchar_t kMainFormClassName[] = L"TmainForm";

// The monitor's interval in milliseconds; waits last 60000 / kMonitorInterval ticks.
constexpr unsigned kMonitorInterval = 500;

class TmainForm : public gui::Window, public ui::PanelOwner
{
  public:
    // Creates the hidden controller window and runs FormCreate. Raises WinError when one of its own
    // objects cannot be created.
    TmainForm();
    ~TmainForm() override;

    // The forms created after the controller; not owned, they outlive its use of them. The panel may
    // be null (the elevated build has none).
    void SetCompanions(procwin::TIRunFindForm *picker, ui::TKeyForm *keyForm, ui::IconPanel *panel) noexcept;

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

    // Brings the target forward, or starts it when it is not running.
    void ActivateTarget();
    // The tray icon's and the panel picture's click and double click.
    void TrayIconClick() override;
    void TrayIconDblClick() override;

    // Minimize start of `m` (any window of another process) and minimize end.
    void Proc_Min(HWND m);
    void Proc_MinEnd(HWND m);

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void FormCreate();
    void FormDestroy() noexcept;
    void BuildMenu();
    void LoadOptions();
    TrayOptions CurrentOptions() const;
    // Saves every option at once (see OptionStore).
    void SaveOptions();
    bool HandOver();

    void FirstStart();
    bool StartTarget();
    HWND SearchTargetWindow(std::u16string &foundPath);
    void AskProgramChange(const std::u16string &foundPath);

    void TimerTimer();
    void TimerRunning();
    void TimerAbsent();
    void KeepMouseHook();
    void SetTip(const std::u16string &tip);
    // The menu's marks and enabled states follow from this state; ApplyMenu draws them on a change.
    MenuInputs MenuState() const;
    void ApplyMenu();

    // Runs `pass` until it answers true, the wait count has run out, the stop request is set or the
    // wait has lasted longer than its 60 s; messages run between passes without spinning.
    // `endsWithController`: the wait also ends once the controller has closed.
    void Wait(const std::function<bool()> &pass, bool endsWithController);
    void CloseWait();
    bool AskForceTerminate();
    void ForceTerminate();
    void CloseController();
    void ShowHiddenTarget();
    void EndSession();
    void FormCloseQuery();

    void OnCommand(UINT id);
    void PPMenuPopup();
    void PPPriorityClick();
    void PPrioritySubClick(int tag);
    void PPTransClick();
    void PPTansSubClick(int tag);
    void PPMAXClick();
    void PPEditClick();
    void PPDefaultClick();
    void PPMostTopClick();
    void PPNonTaskBarClick();
    void PPWheelKeyEnabledClick();
    void PPWheelKeyEditClick(int index);
    void PPMouseHookResetClick();
    void PPMinimizeClick();
    void PPClickClickClick();
    void PPKV2FileClick();
    void PPDisplayClick(int tag);
    void PPExitClick();
    void PPReStartClick();
    void PPModifyClick();
    void PPCloseClick();
    void WireClicks();
    void SetClicksEnabled(bool enabled);

    bool WMCopyData(HWND sender, const COPYDATASTRUCT *data);
    void WMWheelKey(int index);
    int Question(const std::u16string &text, UINT style);
    void HookHotKeyHotKey(int index);

    gui::PopupMenu m_menu;
    ui::TCoolTrayIcon m_trayIcon;
    common::win::UniqueIcon m_waitingIcon; // image 0
    common::win::UniqueIcon m_targetIcon;  // image 1
    ui::TSimpleTimer m_timer;
    ui::TSimpleTimer m_timerClose;
    std::unique_ptr<ui::THookHotKey> m_hookHotKey;

    procwin::TIRunFindForm *m_picker = nullptr; // not owned
    ui::TKeyForm *m_keyForm = nullptr;          // not owned
    ui::IconPanel *m_panel = nullptr;           // not owned

    // The one record of the target's options: the menu is drawn from it, commands change it, saves write
    // it. (Translucency, caption text, the remembered rectangle, the wheel keys and the display mode
    // are its TransValue, Edit, X/Y/W/H, WheelKey1/2 and Display.)
    TrayOptions m_options;
    TrayOptions m_panelOptions; // the panel's keys as loaded, saved back when there is no panel
    OptionStore m_optionStore;  // declared after what CurrentOptions reads
    bool FExecExe = false;
    int MWaitC = 0;
    procwin::ProcessIdentity MPID; // the target's process as seen at attachment
    std::u16string MCapB;
    bool FExecStop = false;
    int MHookResetC = 0;
    // What the menu shows that is no option: the target as the monitor last saw it, and its priority
    // and translucency as last read when their submenus opened.
    bool m_targetRunning = false;
    bool m_targetSizable = false;
    bool m_captionless = false; // "タイトルバー無しで最大化"
    bool m_translucencyAvailable = true;
    std::optional<int> m_priorityTag;
    std::optional<int> m_transTag;
    std::optional<MenuInputs> m_drawnMenu; // what ApplyMenu drew last

    ControllerState m_state; // what the controller is doing; its waits nest
    // A target window that missed its translucency or caption-less maximize because it did not answer;
    // a later tick applies the current choice once it answers again. Not owned.
    HWND m_transMissed = nullptr;
    HWND m_captionlessMissed = nullptr;
};

} // namespace controller
