#include "controller/win/Views.h"

#include "common/win/Shell.h"
#include "common/win/WinText.h"
#include "controller/win/MenuItems.h"
#include "gui/Application.h"
#include "procwin/win/Hook.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"
#include "resources/resource.h"
#include "startup/Build.h"
#include "startup/ProcessState.h"
#include "ui/ShortcutText.h"
#include "ui/win/KeyNames.h"

namespace controller
{

using common::win::W;
using Phase = ControllerState::Phase;

namespace
{

// Display modes: 0 tray icon, 1 icon panel, 2 both. The elevated build has no panel: its tray icon
// stays in every mode, so that the program is never left without anything to click.
bool TrayIconShown(int displayMode)
{
    return displayMode != 1 || startup::kElevatedBuild;
}

} // namespace

Views::Views(MenuInputs &model, const ControllerState &state, TargetSession &session, TargetLaunch &launch,
             OptionStore &optionStore)
    : m_model(model), m_state(state), m_session(session), m_launch(launch), m_optionStore(optionStore),
      m_menu(ControllerMenuItems())
{
}

void Views::Open(HWND window, const TrayOptions &loaded)
{
    m_window = window;
    m_menu.SetCaption(kPPKV2Close, gui::Application::Instance().Title() + u"を閉じる");
    m_panelOptions = PanelOptionsOf(loaded);
    MenuChanged();
}

void Views::SetCompanions(Companions *companions) noexcept
{
    m_companions = companions;
    if (companions == nullptr)
        m_panel = nullptr;
}

TrayOptions Views::CurrentOptions() const
{
    TrayOptions options = m_model.options;
    ui::PanelOptions panel = m_panelOptions;
    if (m_panel != nullptr)
        m_panel->ReadPanelOptions(panel);
    SetPanelOptions(options, panel);
    return options;
}

void Views::ShowViews()
{
    if (m_shown)
        return;
    m_shown = true;
    const startup::TaskDefinition &task = startup::Task();
    m_targetIcon.Reset(
        common::win::GetAssociatedIcon(task.IconFile, static_cast<std::uint16_t>(task.IconIndex)));
    LoadTrayIcons(m_state.Within(Phase::Starting) ? 0 : 1);
    m_trayIcon.SetOnDisplayChange([this] { LoadTrayIcons(m_trayIcon.IconIndex()); });
    m_trayIcon.SetHint(m_session.CommandLine());
    m_trayIcon.SetPopupMenu(m_menu.Handle(), m_window);
    m_trayIcon.SetEnabled(true);
    m_trayIcon.SetOnTaskbarCreated([this] { m_session.TaskbarRestarted(); });
    WireClicks();
    ShowDisplayMode(m_model.options.Display);

    m_hookHotKey = std::make_unique<ui::THookHotKey>(m_window);
    m_hookHotKey->SetActivate(false);
    m_hookHotKey->SetOnHotKey([this](int index) {
        if (index == 1)
            m_launch.Activate();
    });
    if (!task.HotKeyText.empty())
        m_model.hotKeyTaken =
            !m_hookHotKey->Add(1, ui::TextToShortCut(task.HotKeyText, ui::LayoutKeyNames()));

    // Minimizing sends the target to the tray from now on.
    if (!procwin::IsWinEventHookInstalled())
        procwin::WinEventHookStart(
            {.onMinimizeStart = [this](HWND window) { m_session.MinimizeStarted(window); },
             .onMinimizeEnd = [this](HWND) { m_session.MinimizeEnded(); },
             .onError = [](std::exception_ptr error) { gui::Application::Instance().ParkException(error); }});
}

// KV2's own picture at the notification area's size (its icon file holds every size the system asks
// for, so the common controls' LoadIconMetric would pick the same image); the target's is the shell's.
void Views::LoadTrayIcons(int index)
{
    const int size = m_trayIcon.IconSize();
    m_waitingIcon.Reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KV2_WAIT),
                                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    m_trayIcon.SetIconList({m_waitingIcon.Get(), m_targetIcon.Get()});
    m_trayIcon.SetIconIndex(index);
}

void Views::ReleaseHotKey() noexcept
{
    if (m_hookHotKey && !startup::Task().HotKeyText.empty())
        m_hookHotKey->Delete(1);
}

void Views::ShowStarting(bool starting)
{
    m_trayIcon.SetIconIndex(starting ? 0 : 1);
    if (m_panel != nullptr)
        m_panel->ShowWaitingPicture(starting);
    m_model.starting = m_state.Within(Phase::Starting);
}

// The shell hears of the tip only when it changed.
void Views::ShowTip(const std::u16string &tip)
{
    if (m_trayIcon.Hint() != tip)
        m_trayIcon.SetHint(tip);
    if (m_panel != nullptr)
        m_panel->SetPictureHint(tip);
}

void Views::ShowTitle(const std::u16string &title)
{
    if (m_panel != nullptr)
        m_panel->Proc_PanelHint(title);
}

void Views::ShowCommandLine(const std::u16string &commandLine)
{
    m_trayIcon.SetHint(commandLine);
    if (m_panel != nullptr)
        m_panel->SetPictureHint(m_trayIcon.Hint());
}

// The menu is drawn from the controller's state, and only what changed is drawn.
void Views::MenuChanged()
{
    m_model.starting = m_state.Within(Phase::Starting);
    if (m_drawnMenu && *m_drawnMenu == m_model)
        return;
    for (UINT id : m_menu.Ids())
    {
        const MenuItemState state = MenuItemStateOf(id, m_model);
        if (m_menu.Checked(id) != state.checked)
            m_menu.SetChecked(id, state.checked);
        if (m_menu.Enabled(id) != state.enabled)
            m_menu.SetEnabled(id, state.enabled);
    }
    m_drawnMenu = m_model;
}

void Views::MenuOpening(HMENU menu)
{
    if (menu == m_menu.Handle())
    {
        m_menu.SetCaption(kPPWheelKeyEdit1,
                          WheelKeyCaption(u"シングルクリック　キー", m_model.options.WheelKey1));
        m_menu.SetCaption(kPPWheelKeyEdit2,
                          WheelKeyCaption(u"ダブルクリック　キー", m_model.options.WheelKey2));
    }
    else if (menu == m_menu.Submenu(kPPPriority))
    {
        if (const std::optional<int> tag = PriorityTagOfClass(procwin::GetWndPriority(m_session.TargetWnd())))
            m_model.priorityTag = tag;
    }
    else if (menu == m_menu.Submenu(kPPTrans))
    {
        if (!procwin::IsWinXPOrLater())
            return;
        // What the user chose, not what the window shows (a program may be translucent by itself).
        m_model.transTag = TransTagOfPercent(m_model.options.TransValue);
    }
    else
    {
        return;
    }
    MenuChanged();
}

int Views::Question(const std::u16string &text, UINT style)
{
    return MessageBoxW(m_window, W(text), W(std::u16string(startup::kMessageCaption)), style);
}

void Views::SetClicksEnabled(bool enabled)
{
    m_trayIcon.SetEnabled(enabled && !m_state.Closing());
    if (m_panel != nullptr)
        m_panel->SetPictureEnabled(enabled);
}

void Views::EndViews()
{
    if (m_panel != nullptr)
        m_panel->ClosePanel();
    m_trayIcon.SetEnabled(false);
    m_trayIcon.SetIconVisible(false);
}

void Views::CloseLater()
{
    PostMessageW(m_window, WM_CLOSE, 0, 0);
}

void Views::WireClicks()
{
    if (m_model.options.Click)
    {
        m_trayIcon.SetOnClick({});
        m_trayIcon.SetOnDblClick([this] { TrayIconDblClick(); });
    }
    else
    {
        m_trayIcon.SetOnClick([this] { TrayIconClick(); });
        m_trayIcon.SetOnDblClick({});
    }
    if (m_panel != nullptr)
        m_panel->Proc_ImageWClick(m_model.options.Click);
}

// The icon panel is made when it is first shown: most tasks never show it.
void Views::ShowDisplayMode(int displayMode)
{
    m_trayIcon.SetIconVisible(TrayIconShown(displayMode));
    const bool panelShown = displayMode == 1 || displayMode == 2;
    if (m_panel == nullptr && panelShown && m_companions != nullptr)
    {
        m_panel = m_companions->Panel();
        if (m_panel != nullptr)
        {
            m_panel->ShowWaitingPicture(m_state.Within(Phase::Starting));
            m_panel->SetPictureHint(m_trayIcon.Hint());
            m_panel->Proc_ImageWClick(m_model.options.Click);
        }
    }
    if (m_panel != nullptr)
        m_panel->SetPanelVisible(panelShown);
}

void Views::KeepPanelOnTop()
{
    if (m_panel != nullptr)
        m_panel->KeepOnTop();
}

void Views::PanelFormCreate(ui::IconPanel &panel)
{
    panel.ApplyPanelOptions(m_panelOptions);
}

void Views::PanelOptionsChanged()
{
    if (!m_state.Closing())
        m_optionStore.Save();
}

void Views::TrayIconClick()
{
    m_launch.Activate();
}

void Views::TrayIconDblClick()
{
    m_launch.Activate();
}

} // namespace controller
