// What the user sees of KV2 and clicks: the tray icon and its two images, the icon window, the hot key,
// the display mode and which click activates, the marks of the menu both of them open, the questions.
// The controller's parts ask for these through ControllerView; a click, a double click or the hot key
// brings the target forward through the launch, and the icon window's own options are saved through the
// option store. The minimize hook starts with the views.
#pragma once

#include "common/win/Unique.h"
#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/Options.h"
#include "controller/win/Companions.h"
#include "controller/win/ControllerView.h"
#include "controller/win/OptionStore.h"
#include "controller/win/TargetLaunch.h"
#include "controller/win/TargetSession.h"
#include "gui/PopupMenu.h"
#include "ui/win/CoolTrayIcon.h"
#include "ui/win/HookHotKey.h"
#include "ui/win/IconPanel.h"

#include <memory>
#include <optional>
#include <string>

namespace controller
{

class Views final : public ControllerView, public ui::PanelOwner
{
  public:
    // The views of the controller's state; made hidden: nothing shows before ShowViews.
    Views(MenuInputs &model, const ControllerState &state, TargetSession &session, TargetLaunch &launch,
          OptionStore &optionStore);

    // The controller window (the owner of the menu's commands, the questions and the hot key), and the
    // options as loaded, of which the icon window's are kept for it until it is made.
    void Open(HWND window, const TrayOptions &loaded);
    // The forms besides the controller (null: none, as at the end).
    void SetCompanions(Companions *companions) noexcept;
    // The options to save: the target's, with the icon window's own while it exists.
    TrayOptions CurrentOptions() const;

    // The menu's pop-up or one of its submenus opens: what it shows is brought up to date.
    void MenuOpening(HMENU menu);
    // The commands that change how KV2 shows itself.
    void WireClicks();
    void ShowDisplayMode(int displayMode);
    // Another program became active: the icon window stays above it.
    void KeepPanelOnTop();
    // The hot key is given back to the system.
    void ReleaseHotKey() noexcept;

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
        return m_window;
    }

    // ui::PanelOwner
    void PanelFormCreate(ui::IconPanel &panel) override;
    void PanelOptionsChanged() override;
    void TrayIconClick() override;
    void TrayIconDblClick() override;
    HMENU PPMenu() const noexcept override
    {
        return m_menu.Handle();
    }
    HWND CommandWindow() const noexcept override
    {
        return m_window;
    }

  private:
    // Makes the tray icon's pictures at the notification area's size and shows entry `index`.
    void LoadTrayIcons(int index);
    MenuInputs &m_model;
    const ControllerState &m_state;
    TargetSession &m_session;
    TargetLaunch &m_launch;
    OptionStore &m_optionStore;
    HWND m_window = nullptr;

    gui::PopupMenu m_menu;
    std::optional<MenuInputs> m_drawnMenu; // what MenuChanged drew last
    ui::TCoolTrayIcon m_trayIcon;
    common::win::UniqueIcon m_waitingIcon; // image 0
    common::win::UniqueIcon m_targetIcon;  // image 1
    std::unique_ptr<ui::THookHotKey> m_hookHotKey;
    Companions *m_companions = nullptr;
    ui::IconPanel *m_panel = nullptr; // made when it is first shown
    ui::PanelOptions m_panelOptions;  // the icon window's keys as loaded, saved back while it is not made
    bool m_shown = false;
};

} // namespace controller
