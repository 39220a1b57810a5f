#include "controller/win/MainForm.h"

#include "common/ScopeExit.h"
#include "common/win/FileSystem.h"
#include "common/win/Shell.h"
#include "common/win/WinText.h"
#include "controller/HandOver.h"
#include "controller/WheelKeyStroke.h"
#include "controller/win/ErrorLog.h"
#include "controller/win/MenuItems.h"
#include "gui/Application.h"
#include "gui/InputText.h"
#include "procwin/WheelGesture.h"
#include "procwin/win/AppExecute.h"
#include "procwin/win/Hook.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"
#include "resources/resource.h"
#include "startup/Build.h"
#include "startup/ProcessState.h"
#include "ui/ShortcutText.h"
#include "ui/win/IRunFindForm.h"
#include "ui/win/KeyForm.h"
#include "ui/win/KeyNames.h"

#include <algorithm>
#include <utility>

namespace controller
{

using common::win::U;
using common::win::W;
using Phase = ControllerState::Phase;

namespace
{

// Posted to itself by the controller: the hand-over of a duplicate start, handled after the sender has
// been answered.
constexpr UINT WM_HANDOVER = WM_APP + 1;
// Posted to itself once the controller is made: the monitor's first look (which starts the target) as
// soon as the message loop runs, not half a second later on the first tick.
constexpr UINT WM_FIRSTLOOK = WM_APP + 2;

// Display modes: 0 tray icon, 1 icon panel, 2 both. The elevated build has no panel: its tray icon
// stays in every mode, so that the program is never left without anything to click.
bool TrayIconShown(int displayMode)
{
    return displayMode != 1 || startup::kElevatedBuild;
}

// Shows a target hidden in the tray again when KV2 ends on a fault no handler caught: the user must
// never lose a window because KV2 crashed. Runs in a damaged process, so it only asks the system.
LONG WINAPI RestoreHiddenTarget(EXCEPTION_POINTERS *) noexcept
{
    const PublishedTarget published = PublishedTargetWindows();
    const HWND target = published.window;
    if (target != nullptr && IsWindow(target) && !IsWindowVisible(target))
    {
        ShowWindowAsync(target, SW_RESTORE);
        const HWND sub = published.frame;
        if (sub != nullptr && IsWindow(sub))
            ShowWindowAsync(sub, SW_RESTORE);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

bool HasThickFrame(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
}

} // namespace

std::u16string JournalPath()
{
    const std::u16string &folder = startup::Paths().DataFolder;
    return folder.empty() ? std::u16string() : folder + kJournalFileName;
}

void TmainForm::LoopEnded()
{
    m_session.End();
}

TmainForm::TmainForm(EarlyLaunch early)
    : m_menu(ControllerMenuItems()), m_timer(kMonitorInterval, [this] { m_monitor.Tick(); }),
      m_timerClose(1000,
                   [this] {
                       m_timerClose.SetEnabled(false);
                       gui::Application::Instance().Terminate();
                   }),
      m_optionStore([this] { return CurrentOptions(); })
{
    m_session.AdoptEarlyLaunch(std::move(early));
    // A hidden top-level window without owner: it never shows and has no taskbar button.
    Create({.className = kMainFormClassName,
            .caption = gui::Application::Instance().Title(),
            .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
            .place = {0, 0, 0, 0}});
    FormCreate();
}

TmainForm::~TmainForm()
{
    FormDestroy();
    if (Handle() != nullptr)
        DestroyWindow(Handle());
}

void TmainForm::SetCompanions(Companions *companions) noexcept
{
    m_companions = companions;
    if (companions == nullptr)
        m_panel = nullptr;
    m_session.SetCompanions(companions);
}

void TmainForm::FormCreate()
{
    const startup::TaskDefinition &task = startup::Task();
    gui::Application &application = gui::Application::Instance();
    // Errors escaping any handler are recorded, never shown.
    application.SetExceptionHandler([](std::exception_ptr error) {
        const std::u16string message = ErrorMessage(error);
        if (!message.empty())
            AppendErrorLog(startup::Paths().ErrorLogPath, message);
    });
    SetUnhandledExceptionFilter(RestoreHiddenTarget);

    procwin::Wow64Init();
    procwin::TaskBarListCreate();
    m_session.RestoreOrphans();
    m_menu.SetCaption(kPPKV2Close, application.Title() + u"を閉じる");
    m_model.translucencyAvailable = procwin::IsWin2000OrLater();
    TrayOptions options = m_optionStore.Load();
    options.TransValue = std::clamp(options.TransValue, 10, 100);
    m_model.options = options;
    m_model.taskFileGiven = task.TaskFileGiven;
    m_panelOptions = options;
    MenuChanged();

    // A duplicate start that hands over shows nothing (a start that launched early found nobody to hand
    // over to). Otherwise the first look starts the target, and the views appear once it is launched.
    if (!(m_model.options.WExecute && !m_session.HasEarlyLaunch() && HandOver()))
    {
        SetWindowTextW(Handle(), W(ControllerCaption(task.ProgramPath)));
        m_timer.SetInterval(kMonitorInterval);
        m_timer.SetEnabled(true);
        m_monitor.ScheduleFirstStart();
        PostMessageW(Handle(), WM_FIRSTLOOK, 0, 0);
    }
}

void TmainForm::ShowViews()
{
    if (m_viewsShown)
        return;
    m_viewsShown = true;
    const startup::TaskDefinition &task = startup::Task();
    m_waitingIcon.Reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KV2_WAIT), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    m_targetIcon.Reset(
        common::win::GetAssociatedIcon(task.IconFile, static_cast<std::uint16_t>(task.IconIndex)));
    const bool starting = m_state.Within(Phase::Starting);
    m_trayIcon.SetIconList({m_waitingIcon.Get(), m_targetIcon.Get()});
    m_trayIcon.SetIconIndex(starting ? 0 : 1);
    m_trayIcon.SetHint(task.CommandLine);
    m_trayIcon.SetPopupMenu(m_menu.Handle(), Handle());
    m_trayIcon.SetEnabled(true);
    WireClicks();
    ShowDisplayMode(m_model.options.Display);

    m_hookHotKey = std::make_unique<ui::THookHotKey>(Handle());
    m_hookHotKey->SetActivate(false);
    m_hookHotKey->SetOnHotKey([this](int index) {
        if (index == 1)
            ActivateTarget();
    });
    if (!task.HotKeyText.empty())
        m_model.hotKeyTaken =
            !m_hookHotKey->Add(1, ui::TextToShortCut(task.HotKeyText, ui::LayoutKeyNames()));

    if (!procwin::IsWinEventHookInstalled())
        procwin::WinEventHookStart(
            {.onMinimizeStart = [this](HWND window) { m_session.MinimizeStarted(window); },
             .onMinimizeEnd = [this](HWND) { m_session.MinimizeEnded(); },
             .onError = [](std::exception_ptr error) { gui::Application::Instance().ParkException(error); }});
}

// Hands the start over to an instance that already manages the same program; false when there is none.
bool TmainForm::HandOver()
{
    if (!HandOverTo(RunningController(startup::Task().ProgramPath), Handle()))
        return false;
    m_timerClose.SetEnabled(true);
    return true;
}

void TmainForm::FormDestroy() noexcept
{
    procwin::TaskBarListRelease();
    if (m_hookHotKey && !startup::Task().HotKeyText.empty())
        m_hookHotKey->Delete(1);
    if (procwin::IsWinEventHookInstalled())
        procwin::WinEventHookStop();
    if (procwin::IsMouseHookInstalled())
        procwin::MouseHookStop();
}

void TmainForm::PanelFormCreate(ui::IconPanel &panel)
{
    panel.ApplyPanelOptions(PanelOptionsOf(m_panelOptions));
}

void TmainForm::PanelOptionsChanged()
{
    if (!m_state.Closing())
        m_optionStore.Save();
}

TrayOptions TmainForm::CurrentOptions() const
{
    // The panel's keys are the panel's own while it exists; as loaded otherwise.
    TrayOptions options = m_model.options;
    ui::PanelOptions panel = PanelOptionsOf(m_panelOptions);
    if (m_panel != nullptr)
        m_panel->ReadPanelOptions(panel);
    SetPanelOptions(options, panel);
    return options;
}

// ---------------------------------------------------------------------------------------------------
// What the parts show

void TmainForm::ShowStarting(bool starting)
{
    m_trayIcon.SetIconIndex(starting ? 0 : 1);
    if (m_panel != nullptr)
        m_panel->ShowWaitingPicture(starting);
    m_model.starting = m_state.Within(Phase::Starting);
}

// The shell hears of the tip only when it changed.
void TmainForm::ShowTip(const std::u16string &tip)
{
    if (m_trayIcon.Hint() != tip)
        m_trayIcon.SetHint(tip);
    if (m_panel != nullptr)
        m_panel->SetPictureHint(tip);
}

void TmainForm::ShowTitle(const std::u16string &title)
{
    if (m_panel != nullptr)
        m_panel->Proc_PanelHint(title);
}

void TmainForm::ShowCommandLine(const std::u16string &commandLine)
{
    m_trayIcon.SetHint(commandLine);
    if (m_panel != nullptr)
        m_panel->SetPictureHint(m_trayIcon.Hint());
}

// The menu is drawn from the controller's state, and only what changed is drawn.
void TmainForm::MenuChanged()
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

int TmainForm::Question(const std::u16string &text, UINT style)
{
    return MessageBoxW(Handle(), W(text), W(std::u16string(startup::kMessageCaption)), style);
}

void TmainForm::SetClicksEnabled(bool enabled)
{
    m_trayIcon.SetEnabled(enabled && !m_state.Closing());
    if (m_panel != nullptr)
        m_panel->SetPictureEnabled(enabled);
}

void TmainForm::EndViews()
{
    if (m_panel != nullptr)
        m_panel->ClosePanel();
    m_timer.SetEnabled(false);
    m_trayIcon.SetEnabled(false);
    m_trayIcon.SetIconVisible(false);
}

void TmainForm::CloseLater()
{
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

// ---------------------------------------------------------------------------------------------------
// Activation

void TmainForm::ActivateTarget()
{
    m_session.Activate();
}

void TmainForm::TrayIconClick()
{
    ActivateTarget();
}

void TmainForm::TrayIconDblClick()
{
    ActivateTarget();
}

// ---------------------------------------------------------------------------------------------------
// Menu

void TmainForm::OnCommand(UINT id)
{
    const HWND target = m_session.TargetWnd();
    TargetFacts facts;
    facts.exists = IsWindow(target) != FALSE;
    facts.visible = facts.exists && IsWindowVisible(target);
    facts.iconic = facts.exists && IsIconic(target);
    facts.sizable = HasThickFrame(target);
    facts.mouseHookInstalled = procwin::IsMouseHookInstalled();
    facts.originalCaption = m_session.OriginalCaption();
    const CommandEffects effects = RunCommand(id, facts, m_model);
    if (effects.ignored)
        return;
    // What the command will change on the target is written down before it is done.
    m_session.RecordChanges();
    const common::ScopeExit redraw([this] {
        m_session.RecordChanges();
        MenuChanged();
    });
    PerformEffects(effects);
}

// In the order of the fields: the target first, then KV2's own parts, the dialog, the save, the flow.
void TmainForm::PerformEffects(const CommandEffects &effects)
{
    const HWND target = m_session.TargetWnd();
    if (effects.priorityClass && *effects.priorityClass != procwin::GetWndPriority(target))
        procwin::SetWndPriority(target, *effects.priorityClass);
    if (effects.translucency)
        m_session.ApplyTranslucency(*effects.translucency);
    if (effects.captionless)
        m_session.ApplyCaptionless(*effects.captionless);
    if (effects.topMost)
        procwin::SetTopMost(target, *effects.topMost);
    if (effects.taskBarButton)
        *effects.taskBarButton ? procwin::TaskBarButtonShow(target) : procwin::TaskBarButtonHide(target);
    if (effects.hideToTray)
        m_session.MinimizeStarted(target);
    if (effects.showMinimized)
        m_session.ShowMinimized();
    if (effects.stopMouseHook)
        procwin::MouseHookStop();
    if (effects.wireClicks)
        WireClicks();
    if (effects.display)
        ShowDisplayMode(*effects.display);
    // A dialog left with "キャンセル" saves all the same, as the options may have changed meanwhile.
    RunDialog(effects.dialog);
    if (effects.save)
        m_optionStore.Save();
    RunFlow(effects.flow);
}

// Shows the dialog a command needs and takes the user's answer into the options.
void TmainForm::RunDialog(CommandDialog dialog)
{
    switch (dialog)
    {
    case CommandDialog::CaptionInput: {
        SetClicksEnabled(false);
        const common::ScopeExit reenable([this] { SetClicksEnabled(true); });
        const HWND target = m_session.TargetWnd();
        TargetFacts facts;
        facts.exists = IsWindow(target) != FALSE;
        facts.originalCaption = m_session.OriginalCaption();
        std::u16string text =
            CaptionDialogText(m_model.options, facts, facts.exists ? procwin::WindowText(target) : u"");
        if (gui::InputText(u"KV2 - タイトルバーの編集", u"キャプションを入力してください。", text))
            m_model.options.Edit = text;
        return;
    }
    case CommandDialog::WheelKey1:
    case CommandDialog::WheelKey2: {
        if (m_companions == nullptr)
            return;
        ui::TKeyForm &keyForm = m_companions->KeyForm();
        if (keyForm.ShowModal(Handle()) == ui::TKeyForm::kResultOK)
            (dialog == CommandDialog::WheelKey1 ? m_model.options.WheelKey1 : m_model.options.WheelKey2) =
                keyForm.KeyText();
        return;
    }
    case CommandDialog::Picker:
        return m_session.Modify();
    case CommandDialog::TaskEditor:
        return OpenTaskEditor();
    case CommandDialog::None:
        return;
    }
}

void TmainForm::RunFlow(CommandFlow flow)
{
    switch (flow)
    {
    case CommandFlow::Activate:
        return ActivateTarget();
    case CommandFlow::Exit:
        return m_closeFlows.Exit();
    case CommandFlow::Restart:
        return m_closeFlows.Restart();
    case CommandFlow::Terminate:
        return m_closeFlows.Terminate();
    case CommandFlow::CloseKV2:
        return m_closeFlows.CloseController();
    case CommandFlow::CloseAll:
        return m_closeFlows.CloseAll();
    case CommandFlow::None:
        return;
    }
}

void TmainForm::PPMenuPopup()
{
    m_menu.SetCaption(kPPWheelKeyEdit1,
                      WheelKeyCaption(u"シングルクリック　キー", m_model.options.WheelKey1));
    m_menu.SetCaption(kPPWheelKeyEdit2, WheelKeyCaption(u"ダブルクリック　キー", m_model.options.WheelKey2));
    MenuChanged();
}

void TmainForm::PPPriorityClick()
{
    if (const std::optional<int> tag = PriorityTagOfClass(procwin::GetWndPriority(m_session.TargetWnd())))
        m_model.priorityTag = tag;
    MenuChanged();
}

void TmainForm::PPTransClick()
{
    if (!procwin::IsWinXPOrLater())
        return;
    m_model.transTag = TransTagOfPercent(procwin::GetTrans(m_session.TargetWnd()));
    MenuChanged();
}

void TmainForm::WireClicks()
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

void TmainForm::OpenTaskEditor()
{
    const std::u16string folder = common::win::ProgramFolder() + u"\\";
    const std::u16string editor = folder + u"KV2C.exe";
    const std::u16string &file = startup::Task().TaskFilePath;
    if (!common::win::FileExistsReady(file) || !common::win::DirectoryExistsReady(folder))
        return;
    const std::u16string quoted = u"\"" + file + u"\"";
    if (common::win::FileExistsReady(editor))
    {
        procwin::StartProgram(editor, quoted, folder);
        return;
    }
    // Without the task editor, the system's text editor; never with administrator rights, which the
    // elevated build would hand on to it.
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::u16string notepad = U(windows) + u"\\notepad.exe";
    if (startup::kElevatedBuild)
        procwin::StartAsShellUser(notepad, quoted);
    else
        procwin::StartProgram(notepad, quoted, u"");
}

// The icon panel is made when it is first shown: most tasks never show it.
void TmainForm::ShowDisplayMode(int displayMode)
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

// ---------------------------------------------------------------------------------------------------
// Messages

void TmainForm::WMWheelKey(int index)
{
    procwin::ResetWheelGesture();
    // The click was posted a moment ago: by now another program may be in front, and its keys are
    // not the target's to type.
    const HWND foreground = GetForegroundWindow();
    if (foreground == nullptr ||
        (foreground != m_session.TargetWnd() && foreground != m_session.TargetSubWnd()))
        return;
    const TrayOptions &options = m_model.options;
    procwin::SendWheelKey(
        WheelKeyStroke(index == 1 ? options.WheelKey1 : options.WheelKey2, ui::LayoutKeyNames()));
}

LRESULT TmainForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP: {
        const HMENU menu = reinterpret_cast<HMENU>(wParam);
        if (menu == m_menu.Handle())
            PPMenuPopup();
        else if (menu == m_menu.Submenu(kPPPriority))
            PPPriorityClick();
        else if (menu == m_menu.Submenu(kPPTrans))
            PPTransClick();
        return 0;
    }
    case WM_COPYDATA:
        // Answered at once; the activation (which may start the target and wait) runs afterwards.
        if (IsHandOver(reinterpret_cast<const COPYDATASTRUCT *>(lParam), startup::Task().NoExecute))
            PostMessageW(Handle(), WM_HANDOVER, 0, 0);
        return 0;
    case WM_FIRSTLOOK:
        m_monitor.Tick();
        return 0;
    case WM_HANDOVER:
        ActivateTarget();
        return 0;
    case procwin::WM_WHEELKEY1:
        WMWheelKey(1);
        return 0;
    case procwin::WM_WHEELKEY2:
        WMWheelKey(2);
        return 0;
    case WM_QUERYENDSESSION:
        // Another program may still cancel the end: only what must not be lost happens now.
        m_closeFlows.QueryEndSession();
        return TRUE;
    case WM_ENDSESSION:
        // Cancelled (false): the user's program and KV2 go on as before.
        if (wParam != FALSE)
            m_closeFlows.EndSession();
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam == FALSE && m_panel != nullptr)
            m_panel->KeepOnTop();
        return 0;
    case WM_CLOSE:
        m_closeFlows.CloseController();
        return 0;
    default:
        return Window::OnMessage(message, wParam, lParam);
    }
}

} // namespace controller
