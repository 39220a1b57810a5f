#include "controller/win/MainForm.h"

#include "common/ScopeExit.h"
#include "common/win/WinText.h"
#include "controller/HandOver.h"
#include "controller/WheelKeyStroke.h"
#include "controller/win/ErrorLog.h"
#include "controller/win/InstanceLink.h"
#include "controller/win/TaskEditor.h"
#include "gui/Application.h"
#include "gui/DarkMode.h"
#include "gui/InputText.h"
#include "procwin/WheelGesture.h"
#include "procwin/win/Hook.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"
#include "startup/Build.h"
#include "startup/ProcessState.h"
#include "ui/win/CoolTrayIcon.h"
#include "ui/win/KeyForm.h"
#include "ui/win/KeyNames.h"

#include <algorithm>
#include <utility>

namespace controller
{

using common::win::W;

namespace
{

// Posted to itself by the controller: the hand-over of a duplicate start, handled after the sender has
// been answered.
constexpr UINT WM_HANDOVER = WM_APP + 1;
// Posted to itself once the controller is made: the monitor's first look (which starts the target) as
// soon as the message loop runs, not half a second later on the first tick.
constexpr UINT WM_FIRSTLOOK = WM_APP + 2;

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

JournalFiles JournalFilesOfThisProgram()
{
    const std::u16string &local = startup::Paths().LocalDataFolder;
    const std::u16string &roaming = startup::Paths().DataFolder;
    JournalFiles files;
    if (local.empty())
        return files;
    files.own = local + (startup::kElevatedBuild ? kElevatedJournalFileName : kJournalFileName);
    files.ownElevated = startup::kElevatedBuild;
    if (startup::kElevatedBuild)
        files.user = local + kJournalFileName;
    if (!roaming.empty())
        files.legacy = roaming + kJournalFileName;
    return files;
}

void TmainForm::LoopEnded()
{
    m_session.End();
}

TmainForm::TmainForm(EarlyLaunch early)
    : m_timerClose(1000, [this] {
          m_timerClose.SetEnabled(false);
          gui::Application::Instance().Terminate();
      })
{
    m_launch.AdoptEarlyLaunch(std::move(early));
    m_launch.SetUserStartHook([this] { m_restarts.UserStarted(); });
    // The target's process is watched from its attachment: a program may end before the next tick.
    m_session.SetAttachedHook([this] { m_restarts.Look(); });
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
    m_views.SetCompanions(companions);
    m_launch.SetCompanions(companions);
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
    // A second start by KV2 hands over to a KV2A that manages the same program.
    ui::LetMessageIn(Handle(), WM_COPYDATA);

    procwin::Wow64Init();
    procwin::TaskBarListCreate();
    m_session.RestoreOrphans();
    m_model.translucencyAvailable = procwin::IsWin2000OrLater();
    m_model.options = m_optionStore.Load();
    m_model.options.TransValue = std::clamp(m_model.options.TransValue, 10, 100);
    m_model.taskFileGiven = task.TaskFileGiven;
    gui::FollowSystemTheme();
    m_views.Open(Handle(), m_model.options);

    // A duplicate start that hands over shows nothing (a start that launched early found nobody to hand
    // over to). Otherwise the first look starts the target, and the views appear once it is launched.
    if (!(m_model.options.WExecute && !m_launch.HasEarlyLaunch() && HandOver()))
    {
        SetWindowTextW(Handle(), W(ControllerCaption(task.ProgramPath)));
        m_monitor.Start();
        PostMessageW(Handle(), WM_FIRSTLOOK, 0, 0);
    }
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
    m_views.ReleaseHotKey();
    if (procwin::IsWinEventHookInstalled())
        procwin::WinEventHookStop();
    if (procwin::IsMouseHookInstalled())
        procwin::MouseHookStop();
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
        m_views.MenuChanged();
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
        m_views.WireClicks();
    if (effects.display)
        m_views.ShowDisplayMode(*effects.display);
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
        m_views.SetClicksEnabled(false);
        const common::ScopeExit reenable([this] { m_views.SetClicksEnabled(true); });
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
        return m_launch.Modify();
    case CommandDialog::TaskEditor:
        return OpenTaskEditor(startup::Task().TaskFilePath);
    case CommandDialog::None:
        return;
    }
}

void TmainForm::RunFlow(CommandFlow flow)
{
    // The user's own end of the target is never undone ("再起動" starts it again by itself).
    if (flow != CommandFlow::None && flow != CommandFlow::Activate)
        m_restarts.EndRequested();
    switch (flow)
    {
    case CommandFlow::Activate:
        return m_launch.Activate();
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
    case WM_INITMENUPOPUP:
        m_views.MenuOpening(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_COPYDATA:
        // Answered at once; the activation (which may start the target and wait) runs afterwards.
        if (IsHandOver(reinterpret_cast<const COPYDATASTRUCT *>(lParam), startup::Task().NoExecute))
            PostMessageW(Handle(), WM_HANDOVER, 0, 0);
        return 0;
    case WM_FIRSTLOOK:
        m_monitor.Tick();
        return 0;
    case WM_HANDOVER:
        m_launch.Activate();
        return 0;
    case procwin::WM_WHEELKEY1:
        WMWheelKey(1);
        return 0;
    case procwin::WM_WHEELKEY2:
        WMWheelKey(2);
        return 0;
    case WM_TARGETENDED:
        m_restarts.Ended(static_cast<DWORD>(wParam));
        return 0;
    case WM_QUERYENDSESSION:
        // Another program may still cancel the end: only what must not be lost happens now.
        m_restarts.SessionEnding(true);
        m_closeFlows.QueryEndSession();
        return TRUE;
    case WM_ENDSESSION:
        // Cancelled (false): the user's program and KV2 go on as before.
        if (wParam != FALSE)
            m_closeFlows.EndSession();
        else
            m_restarts.SessionEnding(false);
        return 0;
    case WM_SETTINGCHANGE:
        if (gui::IsThemeChange(wParam, lParam))
            gui::FollowSystemTheme();
        return Window::OnMessage(message, wParam, lParam);
    case WM_DISPLAYCHANGE:
        m_monitor.DisplayChanged();
        return Window::OnMessage(message, wParam, lParam);
    case WM_ACTIVATEAPP:
        if (wParam == FALSE)
            m_views.KeepPanelOnTop();
        return 0;
    case WM_CLOSE:
        m_closeFlows.CloseController();
        return 0;
    default:
        return Window::OnMessage(message, wParam, lParam);
    }
}

} // namespace controller
