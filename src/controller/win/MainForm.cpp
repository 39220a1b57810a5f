#include "controller/win/MainForm.h"

#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/Shell.h"
#include "common/win/WinText.h"
#include "controller/HandOver.h"
#include "controller/MenuModel.h"
#include "controller/WheelKeyStroke.h"
#include "controller/win/ErrorLog.h"
#include "controller/win/InstanceLink.h"
#include "controller/win/OptionFile.h"
#include "controller/win/OptionStore.h"
#include "gui/Application.h"
#include "gui/InputText.h"
#include "gui/MessagePump.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/WheelGesture.h"
#include "procwin/win/AppExecute.h"
#include "procwin/win/Hook.h"
#include "procwin/win/IRunFindForm.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"
#include "resources/resource.h"
#include "startup/Build.h"
#include "startup/CommandLine.h"
#include "startup/ProcessState.h"
#include "ui/ShortcutText.h"
#include "ui/win/KeyForm.h"
#include "ui/win/KeyNames.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

namespace controller
{

using common::win::U;
using common::win::W;
using Phase = ControllerState::Phase;

namespace
{

constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION;                       // 0x24
constexpr UINT kErrorStyle = MB_OK | MB_ICONHAND | MB_SYSTEMMODAL;                // 0x1010
constexpr UINT kTerminateQuestionStyle = MB_YESNO | MB_ICONSTOP | MB_SYSTEMMODAL; // 0x1014

// Ticks of a wait: one minute of the monitor.
constexpr int kWaitTicks = 60000 / kMonitorInterval;
// The same minute by the clock, with a little room so that the ticks decide while the monitor runs.
constexpr DWORD kWaitLimit = 61000;
// Sleep between two passes of a wait: a window is noticed within this time of appearing.
constexpr DWORD kPassInterval = 20;

// Posted to itself by the controller: the hand-over of a duplicate start, handled after the sender has
// been answered.
constexpr UINT WM_HANDOVER = WM_APP + 1;

// Runs an action when the scope is left, however it is left.
template <typename Action> class OnExit
{
  public:
    explicit OnExit(Action action) : m_action(std::move(action))
    {
    }
    ~OnExit()
    {
        m_action();
    }
    OnExit(const OnExit &) = delete;
    OnExit &operator=(const OnExit &) = delete;

  private:
    Action m_action;
};

std::u16string ProgramFileNameLower(const std::u16string &path)
{
    return common::ToLower(std::u16string(procwin::FileNameOf(path)));
}

bool HasThickFrame(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
}

// Display modes: 0 tray icon, 1 icon panel, 2 both. The elevated build has no panel: its tray icon
// stays in every mode, so that the program is never left without anything to click.
bool TrayIconShown(int displayMode)
{
    return displayMode != 1 || startup::kElevatedBuild;
}

// The target's windows are shown and hidden by their own thread: KV2 never waits for a hung one.
void ShowIfSet(HWND window, int command)
{
    if (window != nullptr)
        ShowWindowAsync(window, command);
}

// Shows a target hidden in the tray again when KV2 ends on a fault no handler caught: the user must
// never lose a window because KV2 crashed. Runs in a damaged process, so it only asks the system.
LONG WINAPI RestoreHiddenTarget(EXCEPTION_POINTERS *) noexcept
{
    const HWND target = procwin::TargetWnd();
    if (target != nullptr && IsWindow(target) && !IsWindowVisible(target))
    {
        ShowWindowAsync(target, SW_RESTORE);
        const HWND sub = procwin::TargetSubWnd();
        if (sub != nullptr && IsWindow(sub))
            ShowWindowAsync(sub, SW_RESTORE);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

std::vector<gui::PopupMenu::Item> MenuItems()
{
    using Item = gui::PopupMenu::Item;
    std::vector<Item> items;
    const auto add = [&](UINT id, const char16_t *caption, int level = 0) -> Item & {
        items.push_back(Item{.id = id, .caption = caption, .level = level});
        return items.back();
    };
    add(kPPAct, u"起動/表示");
    add(kPPPriority, u"基本優先度").submenu = true;
    items.back().enabled = false;
    const char16_t *priorities[] = {u"通常", u"低", u"高", u"通常以下", u"通常以上"};
    for (int tag = 0; tag < 5; ++tag)
    {
        Item &item = add(kPPPriority0 + static_cast<UINT>(tag), priorities[tag], 1);
        item.radio = true;
        item.checked = tag == 0;
    }
    add(kPPTrans, u"半透明").submenu = true;
    items.back().enabled = false;
    for (int tag = kTransItemCount; tag >= 1; --tag)
    {
        Item &item = add(kPPTrans10 - 1 + static_cast<UINT>(tag), u"", 1);
        item.caption = TransCaption(tag);
        item.radio = true;
    }
    add(kPPMAX, u"タイトルバー無しで最大化").enabled = false;
    add(kPPTitle, u"タイトルバー").submenu = true;
    add(kPPCaption, u"固定", 1);
    add(kPPEdit, u"編集", 1);
    add(kPPDefault, u"デフォルト", 1);
    add(kPPMostTop, u"最前面");
    add(kPPNonTaskBar, u"タスクバーに表示しない");
    add(kPPWheelClick, u"ホイールクリック").submenu = true;
    add(kPPWheelKeyEnabled1, u"シングルクリック　有効", 1);
    add(kPPWheelKeyEdit1, u"シングルクリック　キー", 1);
    add(0, u"-", 1);
    add(kPPWheelKeyEnabled2, u"ダブルクリック　有効", 1);
    add(kPPWheelKeyEdit2, u"ダブルクリック　キー", 1);
    add(0, u"-", 1);
    add(kPPMouseHookReset, u"マウスフックリセット", 1);
    add(kPPMinimize, u"最小化").checked = true;
    add(kPPLive, u"常駐").checked = true;
    add(kPPClickClick, u"ダブルクリック").checked = true;
    add(kPPPosSize, u"位置、大きさ").checked = true;
    add(kPPWExec, u"二重起動禁止");
    add(0, u"-");
    add(kPPKV2File, u"編集");
    add(kPPDisplay, u"トレイアイコン/アイコンウィンドウ").submenu = true;
    const char16_t *displays[] = {u"トレイアイコン", u"アイコンウィンドウ",
                                  u"トレイアイコン/アイコンウィンドウ"};
    for (int tag = 0; tag < 3; ++tag)
    {
        Item &item = add(kPPDisplay0 + static_cast<UINT>(tag), displays[tag], 1);
        item.radio = true;
        item.checked = tag == 0;
    }
    add(0, u"-");
    add(kPPExit, u"閉じる").enabled = false;
    add(kPPReStart, u"再起動").enabled = false;
    add(kPPTERMINATE, u"強制終了").enabled = false;
    add(kPPModify, u"修正");
    add(0, u"-");
    add(kPPKV2Close, u"を閉じる");
    add(kPPClose, u"終了");
    return items;
}

} // namespace

TmainForm::TmainForm()
    : m_menu(MenuItems()), m_timer(kMonitorInterval, [this] { TimerTimer(); }),
      m_timerClose(1000,
                   [this] {
                       m_timerClose.SetEnabled(false);
                       gui::Application::Instance().Terminate();
                   }),
      m_optionStore([this] { return CurrentOptions(); })
{
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

void TmainForm::SetCompanions(procwin::TIRunFindForm *picker, ui::TKeyForm *keyForm,
                              ui::IconPanel *panel) noexcept
{
    m_picker = picker;
    m_keyForm = keyForm;
    m_panel = panel;
    // A duplicate start that hands over shows nothing.
    if (m_panel != nullptr && m_timer.Enabled())
    {
        m_panel->Proc_ImageWClick(m_options.Click);
        m_panel->SetPictureHint(m_trayIcon.Hint());
        m_panel->SetPanelVisible(m_options.Display == 1 || m_options.Display == 2);
    }
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
    m_menu.SetCaption(kPPKV2Close, application.Title() + u"を閉じる");
    m_translucencyAvailable = procwin::IsWin2000OrLater();
    LoadOptions();
    ApplyMenu();

    if (!(m_options.WExecute && HandOver()))
    {
        SetWindowTextW(Handle(), W(u"KV2-" + task.ProgramPath));
        m_waitingIcon.Reset(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KV2_WAIT), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
        m_targetIcon.Reset(
            common::win::GetAssociatedIcon(task.IconFile, static_cast<std::uint16_t>(task.IconIndex)));
        m_trayIcon.SetIconList({m_waitingIcon.Get(), m_targetIcon.Get()});
        m_trayIcon.SetIconIndex(1);
        m_trayIcon.SetHint(task.CommandLine);
        m_trayIcon.SetPopupMenu(m_menu.Handle(), Handle());
        m_trayIcon.SetEnabled(true);
        m_trayIcon.SetIconVisible(TrayIconShown(m_options.Display));
        WireClicks();
        m_timer.SetInterval(kMonitorInterval);
        m_timer.SetEnabled(true);
        FExecExe = true;
    }

    m_hookHotKey = std::make_unique<ui::THookHotKey>(Handle());
    m_hookHotKey->SetActivate(false);
    m_hookHotKey->SetOnHotKey([this](int index) { HookHotKeyHotKey(index); });
    if (!task.HotKeyText.empty())
        m_hookHotKey->Add(1, ui::TextToShortCut(task.HotKeyText, ui::LayoutKeyNames()));

    if (!procwin::IsWinEventHookInstalled())
        procwin::WinEventHookStart(
            {.onMinimizeStart = [this](HWND window) { Proc_Min(window); },
             .onMinimizeEnd = [this](HWND window) { Proc_MinEnd(window); },
             .onError = [](std::exception_ptr error) { gui::Application::Instance().ParkException(error); }});
}

// Hands the start over to an instance that already manages the same program; false when there is none.
bool TmainForm::HandOver()
{
    if (!HandOverTo(FindWindowW(kMainFormClassName, W(u"KV2-" + startup::Task().ProgramPath)), Handle()))
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

void TmainForm::LoadOptions()
{
    TrayOptions options = m_optionStore.Load();
    options.TransValue = std::clamp(options.TransValue, 10, 100);
    m_options = options;
    m_panelOptions = options;
}

void TmainForm::PanelFormCreate(ui::IconPanel &panel)
{
    panel.ApplyPanelOptions(PanelOptionsOf(m_panelOptions));
}

void TmainForm::PanelOptionsChanged()
{
    if (!m_state.Closing())
        SaveOptions();
}

TrayOptions TmainForm::CurrentOptions() const
{
    // The panel's keys are the panel's own while it exists; as loaded otherwise.
    TrayOptions options = m_options;
    ui::PanelOptions panel = PanelOptionsOf(m_panelOptions);
    if (m_panel != nullptr)
        m_panel->ReadPanelOptions(panel);
    SetPanelOptions(options, panel);
    return options;
}

void TmainForm::SaveOptions()
{
    m_optionStore.Save();
}

// ---------------------------------------------------------------------------------------------------
// Start and attachment

void TmainForm::FirstStart()
{
    const startup::TaskDefinition &task = startup::Task();
    bool adopted = false;
    if (m_picker != nullptr)
    {
        m_picker->MTargetExe = ProgramFileNameLower(task.ProgramPath);
        m_picker->MTargetHandle = nullptr;
        m_picker->Proc_FindApp();
        if (!m_picker->ListBoxH().empty() &&
            Question(task.ProgramPath + u"の\r\n実行を検出しました。\r\n処理対象を修正しますか？",
                     kQuestionStyle) == IDYES)
        {
            PPModifyClick();
            adopted = true;
        }
    }
    if (task.NoExecute)
    {
        m_options.Live = true;
        ApplyMenu();
        return;
    }
    if (!adopted && StartTarget())
        ShowIfSet(procwin::TargetWnd(), task.ShowCommand);
}

namespace
{

// Finds new windows of the target program, pass after pass of a wait. What a process's executable is
// (a process query, a disk test and a file search per path part) is worked out once per process, not
// once per window and pass: a pass looks at each top-level window and its process id only.
class ProgramWindowSearch
{
  public:
    // `before`: windows that ran before the start and are never taken; `skipped`: a process whose
    // windows the launch judges itself (0: none).
    ProgramWindowSearch(std::u16string programName, std::vector<HWND> before, DWORD skipped)
        : m_programName(std::move(programName)), m_before(std::move(before)), m_skipped(skipped)
    {
    }

    // The last qualifying window of one pass in the system's order: visible, unowned, with a caption
    // and a class name, of the same program, not running before; null when there is none.
    HWND Pass(std::u16string &foundPath)
    {
        HWND found = nullptr;
        for (HWND window : procwin::TopLevelWindows())
        {
            if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr ||
                GetWindowTextLengthW(window) <= 0)
                continue;
            const DWORD processId = procwin::ProcessIdOf(window);
            if ((m_skipped != 0 && processId == m_skipped) ||
                std::find(m_before.begin(), m_before.end(), window) != m_before.end())
                continue;
            const std::u16string exePath = ExePathOf(processId, window);
            wchar_t className[2] = {};
            if (ProgramFileNameLower(exePath) != m_programName || GetClassNameW(window, className, 2) <= 0)
                continue;
            found = window;
            foundPath = exePath;
        }
        return found;
    }

  private:
    // A path that could not be read yet (a process just starting) is asked again on the next pass.
    std::u16string ExePathOf(DWORD processId, HWND window)
    {
        const auto known = m_exePaths.find(processId);
        if (known != m_exePaths.end())
            return known->second;
        std::u16string path;
        {
            procwin::Wow64Redirection redirectionOff;
            path = procwin::GetWndInfo(window).exePath;
        }
        if (!path.empty())
            m_exePaths.emplace(processId, path);
        return path;
    }

    std::u16string m_programName;
    std::vector<HWND> m_before;
    DWORD m_skipped;
    std::unordered_map<DWORD, std::u16string> m_exePaths;
};

} // namespace

bool TmainForm::StartTarget()
{
    if (!m_state.Enter(Phase::Starting))
        return false;
    ApplyMenu();
    startup::TaskDefinition &task = startup::Task();
    FExecStop = false;
    procwin::SetTargetWnd(nullptr);
    procwin::SetTargetSubWnd(nullptr);
    MPID = {};
    m_trayIcon.SetIconIndex(0);
    if (m_panel != nullptr)
        m_panel->ShowWaitingPicture(true);
    // Every way out, the launch error included, shows the target's icon again.
    const OnExit restore([this] {
        m_state.Leave(Phase::Starting);
        m_trayIcon.SetIconIndex(1);
        if (m_panel != nullptr)
            m_panel->ShowWaitingPicture(false);
        ApplyMenu();
    });

    const procwin::Bounds remembered{m_options.X, m_options.Y, m_options.W, m_options.H};
    const bool usePlace = m_options.PositionSize && m_options.W != 0 && m_options.H != 0 &&
                          !procwin::IsOffScreen(remembered) && task.ShowCommand == startup::kShowDefault;
    {
        // Commands run while the program starts up. The wait also ends when the program's window shows in
        // another process, as with a launcher that hands over to another copy: the search takes it at once.
        const std::u16string programName = ProgramFileNameLower(task.ProgramPath);
        const std::vector<HWND> before = m_picker != nullptr ? m_picker->ListBoxH() : std::vector<HWND>();
        const auto waitForStart = [&](DWORD launched, const std::function<bool()> &settled) {
            ProgramWindowSearch search(programName, before, launched);
            std::u16string path;
            Wait([&] { return settled() || search.Pass(path) != nullptr; }, true);
        };
        procwin::ExecuteApp(task.ProgramPath, task.ProgramOption, task.WorkDir, task.PriorityClass,
                            usePlace ? std::optional<procwin::Bounds>(remembered) : std::nullopt,
                            waitForStart);
    }

    std::u16string foundPath;
    const HWND launched = procwin::TargetWnd();
    const procwin::WndInfo info = launched != nullptr ? procwin::GetWndInfo(launched) : procwin::WndInfo{};
    if (launched == nullptr || info.className.empty())
        SearchTargetWindow(foundPath);
    else
        foundPath = info.exePath;

    const HWND target = procwin::TargetWnd();
    if (target == nullptr || m_state.Closing())
    {
        if (FExecStop)
            CloseController();
        else if (!m_state.Closing())
            Question(task.ProgramPath + u"の\r\n起動に失敗しました。", kErrorStyle);
        return false;
    }

    if (task.TaskFileGiven && common::ToLower(task.ProgramPath) != common::ToLower(foundPath))
        AskProgramChange(foundPath);
    if (usePlace && !IsIconic(target) && !IsZoomed(target))
    {
        const std::optional<procwin::Bounds> now = procwin::GetWndBounds(target);
        if (now && !(*now == remembered))
            procwin::Move(target, remembered);
    }
    MCapB = procwin::WindowText(target);
    if (m_options.TransValue < 100)
        procwin::SetTrans(target, m_options.TransValue);
    if (m_options.NonTaskBar)
        procwin::TaskBarButtonHide(target);
    if (m_options.MostTop)
        procwin::SetTopMost(target, true);
    MPID = procwin::WindowProcessIdentity(target);
    if (procwin::TargetSubWnd() != nullptr && !IsWindowVisible(procwin::TargetSubWnd()))
        procwin::SetTargetSubWnd(nullptr);
    return true;
}

// The fall-back search when the launch found no usable window: a visible, unowned, captioned window of
// the same program that was not running before, the last of a pass in the system's order.
HWND TmainForm::SearchTargetWindow(std::u16string &foundPath)
{
    ProgramWindowSearch search(ProgramFileNameLower(startup::Task().ProgramPath),
                               m_picker != nullptr ? m_picker->ListBoxH() : std::vector<HWND>(), 0);
    Wait(
        [&] {
            const HWND found = search.Pass(foundPath);
            if (found != nullptr)
                procwin::SetTargetWnd(found);
            return found != nullptr;
        },
        true);
    return procwin::TargetWnd();
}

void TmainForm::AskProgramChange(const std::u16string &foundPath)
{
    startup::TaskDefinition &task = startup::Task();
    if (Question(u"プログラムを\r\n" + task.ProgramPath + u"から\r\n" + foundPath + u"に\r\n変更しますか？",
                 kQuestionStyle) != IDYES)
        return;
    task.ProgramPath = foundPath;
    UpdateIniFile(task.TaskFilePath,
                  [&](common::IniDocument &file) { file.Set(u"Program", u"Name", task.ProgramPath); });
    task.CommandLine =
        task.ProgramOption.empty() ? task.ProgramPath : task.ProgramPath + u" " + task.ProgramOption;
    m_trayIcon.SetHint(task.CommandLine);
    if (m_panel != nullptr)
        m_panel->SetPictureHint(m_trayIcon.Hint());
}

// ---------------------------------------------------------------------------------------------------
// Monitor

void TmainForm::TimerTimer()
{
    if (FExecExe)
    {
        FExecExe = false;
        FirstStart();
    }
    if (MWaitC > 0)
        --MWaitC;
    if (IsWindow(procwin::TargetWnd()))
        TimerRunning();
    else
        TimerAbsent();
}

void TmainForm::TimerRunning()
{
    const HWND target = procwin::TargetWnd();
    wchar_t title[kTipTitleLength + 1] = {};
    GetWindowTextW(target, title, static_cast<int>(kTipTitleLength + 1));
    if (m_panel != nullptr)
        m_panel->Proc_PanelHint(U(title));
    SetTip(RunningTip(startup::Task().HotKeyText, U(title)));
    m_targetRunning = true;
    // Once seen, the sizing frame keeps the item on while the target runs (a caption-less window keeps
    // its frame anyway).
    m_targetSizable = m_targetSizable || HasThickFrame(target);
    if (!IsIconic(target) && !IsZoomed(target))
    {
        if (const std::optional<procwin::Bounds> bounds = procwin::GetWndBounds(target))
        {
            m_options.X = bounds->left;
            m_options.Y = bounds->top;
            m_options.W = bounds->width;
            m_options.H = bounds->height;
        }
    }
    if (m_options.Caption && procwin::WindowText(target) != m_options.Edit)
        procwin::SetCaption(target, m_options.Edit);
    if (m_transMissed == target && procwin::SetTrans(target, m_options.TransValue))
        m_transMissed = nullptr;
    if (m_captionlessMissed == target && procwin::SetCaptionless(target, m_captionless))
        m_captionlessMissed = nullptr;
    // No minimize event arrives for some windows (and none at all under some systems): a target found
    // minimized on screen goes to the tray all the same.
    if (m_options.Minimize && IsIconic(target) && IsWindowVisible(target))
        Proc_Min(target);
    ApplyMenu();
    KeepMouseHook();
}

void TmainForm::KeepMouseHook()
{
    if (GetForegroundWindow() == procwin::TargetWnd())
    {
        if (!WheelFeatureActive(m_options))
            return;
        procwin::SetWheelGestures(m_options.WheelButton1 && !m_options.WheelKey1.empty(),
                                  m_options.WheelButton2 && !m_options.WheelKey2.empty());
        if (!procwin::IsMouseHookInstalled())
        {
            if (procwin::MouseHookStart(Handle()))
                MHookResetC = procwin::MouseHookResetCount(kMonitorInterval);
        }
        else if (--MHookResetC < 0)
        {
            procwin::MouseHookStop();
        }
    }
    else if (procwin::IsMouseHookInstalled())
    {
        procwin::MouseHookStop();
    }
}

void TmainForm::TimerAbsent()
{
    SetTip(AbsentTip(startup::Task().HotKeyText, startup::Task().CommandLine));
    m_targetRunning = false;
    m_targetSizable = false;
    m_captionless = false;
    ApplyMenu();
    // A start or restart in progress has no target yet: that is no reason to end.
    if ((!m_options.Live || startup::Task().ProgramPath.empty()) && m_state.MayEndWithoutTarget())
    {
        CloseController();
        return;
    }
    if (procwin::IsMouseHookInstalled())
        procwin::MouseHookStop();
}

// The shell hears of the tip only when it changed.
void TmainForm::SetTip(const std::u16string &tip)
{
    if (m_trayIcon.Hint() != tip)
        m_trayIcon.SetHint(tip);
    if (m_panel != nullptr)
        m_panel->SetPictureHint(tip);
}

MenuInputs TmainForm::MenuState() const
{
    MenuInputs inputs;
    inputs.options = m_options;
    inputs.targetRunning = m_targetRunning;
    inputs.targetSizable = m_targetSizable;
    inputs.captionless = m_captionless;
    inputs.starting = m_state.Within(Phase::Starting);
    inputs.taskFileGiven = startup::Task().TaskFileGiven;
    inputs.translucencyAvailable = m_translucencyAvailable;
    inputs.priorityTag = m_priorityTag;
    inputs.transTag = m_transTag;
    return inputs;
}

// The menu is drawn from the controller's state; the tick calls this too, so it acts only on a change.
void TmainForm::ApplyMenu()
{
    MenuInputs inputs = MenuState();
    if (m_drawnMenu && *m_drawnMenu == inputs)
        return;
    for (UINT id : m_menu.Ids())
    {
        const MenuItemState state = MenuItemStateOf(id, inputs);
        if (m_menu.Checked(id) != state.checked)
            m_menu.SetChecked(id, state.checked);
        if (m_menu.Enabled(id) != state.enabled)
            m_menu.SetEnabled(id, state.enabled);
    }
    m_drawnMenu = std::move(inputs);
}

// ---------------------------------------------------------------------------------------------------
// Activation, minimize to tray

void TmainForm::ActivateTarget()
{
    const HWND target = procwin::TargetWnd();
    if (IsWindow(target))
    {
        if (!IsWindowVisible(target))
        {
            ShowIfSet(target, SW_RESTORE);
            ShowIfSet(procwin::TargetSubWnd(), SW_RESTORE);
        }
        if (m_options.TransValue < 100 && !procwin::SetTrans(target, m_options.TransValue))
            m_transMissed = target;
        if (m_options.NonTaskBar)
            procwin::TaskBarButtonHide(target);
        if (m_options.MostTop)
            procwin::SetTopMost(target, true);
        procwin::ForceForeground(target);
        return;
    }
    // A start in progress is not started again from within its own wait.
    if (!m_state.MayStart())
        return;
    if (StartTarget())
        ShowIfSet(procwin::TargetWnd(), startup::Task().ShowCommand);
}

void TmainForm::TrayIconClick()
{
    ActivateTarget();
}

void TmainForm::TrayIconDblClick()
{
    ActivateTarget();
}

void TmainForm::HookHotKeyHotKey(int index)
{
    if (index == 1)
        ActivateTarget();
}

void TmainForm::Proc_Min(HWND m)
{
    const HWND target = procwin::TargetWnd();
    if (m_options.Minimize)
    {
        if (target == nullptr || (m != target && m != procwin::TargetSubWnd()))
            return;
        // A hung target is left on screen (the tick calls again, and hides it once it answers) rather
        // than given one more hide to catch up on each tick.
        if (!procwin::Answers(target))
            return;
        const HWND sub = procwin::TargetSubWnd();
        if (sub != nullptr && IsWindowVisible(sub))
            ShowIfSet(sub, SW_HIDE);
        if (IsWindowVisible(target))
            ShowIfSet(target, SW_HIDE);
    }
    else if (m_options.NonTaskBar)
    {
        procwin::TaskBarButtonShow(target);
    }
}

void TmainForm::Proc_MinEnd(HWND)
{
    if (!m_options.Minimize && m_options.NonTaskBar)
        procwin::TaskBarButtonHide(procwin::TargetWnd());
}

// ---------------------------------------------------------------------------------------------------
// Waits, close, restart, terminate

void TmainForm::Wait(const std::function<bool()> &pass, bool endsWithController)
{
    MWaitC = kWaitTicks;
    // A WM_QUIT meanwhile does not end the wait: the program's end comes after it.
    gui::PumpUntil(
        [&] { return pass() || MWaitC <= 0 || FExecStop || (endsWithController && m_state.Closing()); },
        {.timeout = kWaitLimit, .pollInterval = kPassInterval, .checkEachMessage = false, .quitEnds = false});
    MWaitC = 0;
}

void TmainForm::CloseWait()
{
    if (!m_state.Enter(Phase::WaitingToClose))
        return;
    const OnExit done([this] { m_state.Leave(Phase::WaitingToClose); });
    procwin::CloseTargetWnd();
    const DWORD processId = MPID.id;
    Wait(
        [processId] {
            const std::vector<HWND> windows = procwin::TopLevelWindows();
            return std::none_of(windows.begin(), windows.end(),
                                [&](HWND window) { return procwin::ProcessIdOf(window) == processId; });
        },
        false);
}

bool TmainForm::AskForceTerminate()
{
    return Question(startup::Task().ProgramPath + u"を\r\n終了出来ません。\r\n強制終了しますか？",
                    kTerminateQuestionStyle) == IDYES;
}

void TmainForm::ForceTerminate()
{
    // The question before this may have stood for minutes: the target may have ended and its id been
    // given to an unrelated process since. Only the process seen at attachment is ended.
    const HWND target = procwin::TargetWnd();
    if (IsWindow(target) && procwin::ProcessIdOf(target) != MPID.id)
        return;
    procwin::TerminateIdentifiedProcess(MPID);
}

void TmainForm::PPExitClick()
{
    if (!IsWindow(procwin::TargetWnd()))
        return;
    CloseWait();
    if (IsWindow(procwin::TargetWnd()) && AskForceTerminate())
        ForceTerminate();
}

void TmainForm::PPReStartClick()
{
    if (!m_state.Enter(Phase::Restarting))
        return;
    const OnExit done([this] { m_state.Leave(Phase::Restarting); });
    if (IsWindow(procwin::TargetWnd()))
    {
        CloseWait();
        if (IsWindow(procwin::TargetWnd()))
        {
            if (AskForceTerminate())
                ForceTerminate();
            return;
        }
    }
    if (m_state.Closing())
        return;
    if (StartTarget())
    {
        ShowIfSet(procwin::TargetWnd(), startup::Task().ShowCommand);
        if (m_options.TransValue < 100)
            procwin::SetTrans(procwin::TargetWnd(), m_options.TransValue);
    }
}

void TmainForm::PPCloseClick()
{
    if (procwin::TargetWnd() == nullptr)
        FExecStop = true;
    if (IsWindow(procwin::TargetWnd()))
        procwin::CloseTargetWnd();
    CloseController();
}

// Closing the controller ends the program: the close query runs once, then the message loop ends.
void TmainForm::CloseController()
{
    const bool sessionEnding = m_state.Within(Phase::SessionEnding);
    if (!m_state.Enter(Phase::Closing))
        return;
    FormCloseQuery();
    if (!sessionEnding)
        gui::Application::Instance().Terminate();
}

void TmainForm::ShowHiddenTarget()
{
    const HWND target = procwin::TargetWnd();
    if (IsWindow(target) && !IsWindowVisible(target))
    {
        ShowIfSet(target, SW_RESTORE);
        ShowIfSet(procwin::TargetSubWnd(), SW_RESTORE);
    }
}

// The session really ends: the target is asked to close (with the usual wait), then KV2 ends.
void TmainForm::EndSession()
{
    if (!m_state.Enter(Phase::SessionEnding))
        return;
    PPExitClick();
    CloseController();
    gui::Application::Instance().Terminate();
}

void TmainForm::FormCloseQuery()
{
    ShowHiddenTarget();
    m_optionStore.SaveBeforeEnd();
    if (m_panel != nullptr)
        m_panel->ClosePanel();
    m_timer.SetEnabled(false);
    m_trayIcon.SetEnabled(false);
    m_trayIcon.SetIconVisible(false);
}

// ---------------------------------------------------------------------------------------------------
// Menu

void TmainForm::OnCommand(UINT id)
{
    // A command for an item the menu shows disabled is not the user's: ignore it.
    if (!MenuItemStateOf(id, MenuState()).enabled)
        return;
    // The option items flip their option before their handler runs; the menu follows afterwards.
    if (id == kPPMAX)
        m_captionless = !m_captionless;
    else
        ToggleOption(id, m_options);
    const OnExit redraw([this] { ApplyMenu(); });
    if (id >= kPPPriority0 && id <= kPPPriority4)
        return PPrioritySubClick(static_cast<int>(id - kPPPriority0));
    if (id >= kPPTrans10 && id <= kPPTrans100)
        return PPTansSubClick(static_cast<int>(id - kPPTrans10 + 1));
    if (id >= kPPDisplay0 && id <= kPPDisplay2)
        return PPDisplayClick(static_cast<int>(id - kPPDisplay0));
    switch (id)
    {
    case kPPAct:
        return ActivateTarget();
    case kPPMAX:
        return PPMAXClick();
    case kPPCaption:
    case kPPLive:
    case kPPPosSize:
    case kPPWExec:
        return SaveOptions();
    case kPPEdit:
        return PPEditClick();
    case kPPDefault:
        return PPDefaultClick();
    case kPPMostTop:
        return PPMostTopClick();
    case kPPNonTaskBar:
        return PPNonTaskBarClick();
    case kPPWheelKeyEnabled1:
    case kPPWheelKeyEnabled2:
        return PPWheelKeyEnabledClick();
    case kPPWheelKeyEdit1:
        return PPWheelKeyEditClick(1);
    case kPPWheelKeyEdit2:
        return PPWheelKeyEditClick(2);
    case kPPMouseHookReset:
        return PPMouseHookResetClick();
    case kPPMinimize:
        return PPMinimizeClick();
    case kPPClickClick:
        return PPClickClickClick();
    case kPPKV2File:
        return PPKV2FileClick();
    case kPPExit:
        return PPExitClick();
    case kPPReStart:
        return PPReStartClick();
    case kPPTERMINATE:
        return ForceTerminate();
    case kPPModify:
        return PPModifyClick();
    case kPPKV2Close:
        return CloseController();
    case kPPClose:
        return PPCloseClick();
    default:
        return;
    }
}

void TmainForm::PPMenuPopup()
{
    m_menu.SetCaption(kPPWheelKeyEdit1, WheelKeyCaption(u"シングルクリック　キー", m_options.WheelKey1));
    m_menu.SetCaption(kPPWheelKeyEdit2, WheelKeyCaption(u"ダブルクリック　キー", m_options.WheelKey2));
    ApplyMenu();
}

void TmainForm::PPPriorityClick()
{
    if (const std::optional<int> tag = PriorityTagOfClass(procwin::GetWndPriority(procwin::TargetWnd())))
        m_priorityTag = tag;
    ApplyMenu();
}

void TmainForm::PPrioritySubClick(int tag)
{
    m_priorityTag = tag;
    const DWORD priorityClass = PriorityClassOfTag(tag);
    if (priorityClass != procwin::GetWndPriority(procwin::TargetWnd()))
        procwin::SetWndPriority(procwin::TargetWnd(), priorityClass);
}

void TmainForm::PPTransClick()
{
    if (!procwin::IsWinXPOrLater())
        return;
    const int tag = TransTagOfPercent(procwin::GetTrans(procwin::TargetWnd()));
    m_transTag = tag;
    ApplyMenu();
}

void TmainForm::PPTansSubClick(int tag)
{
    m_options.TransValue = TransPercentOfTag(tag);
    m_transMissed =
        procwin::SetTrans(procwin::TargetWnd(), m_options.TransValue) ? nullptr : procwin::TargetWnd();
    SaveOptions();
}

void TmainForm::PPMAXClick()
{
    const HWND target = procwin::TargetWnd();
    if (!HasThickFrame(target))
        return;
    m_captionlessMissed = procwin::SetCaptionless(target, m_captionless) ? nullptr : target;
    SaveOptions();
}

void TmainForm::PPEditClick()
{
    SetClicksEnabled(false);
    const OnExit reenable([this] { SetClicksEnabled(true); });
    std::u16string text = m_options.Edit;
    if (text.empty())
        text = IsWindow(procwin::TargetWnd()) ? procwin::WindowText(procwin::TargetWnd()) : MCapB;
    if (gui::InputText(u"KV2 - タイトルバーの編集", u"キャプションを入力してください。", text))
        m_options.Edit = text;
    SaveOptions();
}

void TmainForm::PPDefaultClick()
{
    m_options.Edit = MCapB;
    SaveOptions();
}

void TmainForm::PPMostTopClick()
{
    if (IsWindow(procwin::TargetWnd()))
        procwin::SetTopMost(procwin::TargetWnd(), m_options.MostTop);
    SaveOptions();
}

void TmainForm::PPNonTaskBarClick()
{
    const HWND target = procwin::TargetWnd();
    if (IsWindow(target))
    {
        if (!m_options.NonTaskBar)
            procwin::TaskBarButtonShow(target);
        else if (!IsIconic(target))
            procwin::TaskBarButtonHide(target);
    }
    SaveOptions();
}

void TmainForm::PPWheelKeyEnabledClick()
{
    if (!m_options.WheelButton1 && !m_options.WheelButton2 && procwin::IsMouseHookInstalled())
        procwin::MouseHookStop();
    SaveOptions();
}

void TmainForm::PPWheelKeyEditClick(int index)
{
    if (m_keyForm != nullptr && m_keyForm->ShowModal(Handle()) == ui::TKeyForm::kResultOK)
        (index == 1 ? m_options.WheelKey1 : m_options.WheelKey2) = m_keyForm->KeyText();
    SaveOptions();
}

void TmainForm::PPMouseHookResetClick()
{
    if (procwin::IsMouseHookInstalled())
        procwin::MouseHookStop();
}

void TmainForm::PPMinimizeClick()
{
    const HWND target = procwin::TargetWnd();
    if (IsWindow(target) && m_options.Minimize && IsIconic(target))
        Proc_Min(target);
    if (!m_options.Minimize && IsWindow(target) && !IsWindowVisible(target))
    {
        ShowIfSet(target, SW_MINIMIZE);
        ShowIfSet(procwin::TargetSubWnd(), SW_MINIMIZE);
    }
    SaveOptions();
}

void TmainForm::PPClickClickClick()
{
    WireClicks();
    SaveOptions();
    if (m_panel != nullptr)
        m_panel->Proc_ImageWClick(m_options.Click);
}

void TmainForm::WireClicks()
{
    if (m_options.Click)
    {
        m_trayIcon.SetOnClick({});
        m_trayIcon.SetOnDblClick([this] { TrayIconDblClick(); });
    }
    else
    {
        m_trayIcon.SetOnClick([this] { TrayIconClick(); });
        m_trayIcon.SetOnDblClick({});
    }
}

void TmainForm::SetClicksEnabled(bool enabled)
{
    m_trayIcon.SetEnabled(enabled && !m_state.Closing());
    if (m_panel != nullptr)
        m_panel->SetPictureEnabled(enabled);
}

void TmainForm::PPKV2FileClick()
{
    const std::u16string folder = common::win::ProgramFolder() + u"\\";
    const std::u16string editor = folder + u"KV2C.exe";
    const std::u16string &file = startup::Task().TaskFilePath;
    if (!common::win::FileExistsReady(editor) || !common::win::FileExistsReady(file) ||
        !common::win::DirectoryExistsReady(folder))
        return;
    procwin::StartProgram(editor, u"\"" + file + u"\"", folder);
}

void TmainForm::PPDisplayClick(int tag)
{
    m_options.Display = tag;
    m_trayIcon.SetIconVisible(TrayIconShown(tag));
    if (m_panel != nullptr)
        m_panel->SetPanelVisible(tag == 1 || tag == 2);
    SaveOptions();
}

void TmainForm::PPModifyClick()
{
    if (m_picker == nullptr)
        return;
    SetClicksEnabled(false);
    const OnExit reenable([this] { SetClicksEnabled(true); });
    m_picker->MTargetExe = ProgramFileNameLower(startup::Task().ProgramPath);
    m_picker->MTargetHandle = nullptr;
    m_picker->ShowModal(Handle());
    const HWND chosen = m_picker->MTargetHandle;
    if (chosen == nullptr)
        return;
    const bool changed = chosen != procwin::TargetWnd();
    procwin::SetTargetWnd(chosen);
    MPID = procwin::WindowProcessIdentity(chosen);
    if (changed)
        ActivateTarget();
    if (IsIconic(chosen))
        Proc_Min(chosen);
}

// ---------------------------------------------------------------------------------------------------
// Messages

int TmainForm::Question(const std::u16string &text, UINT style)
{
    return MessageBoxW(Handle(), W(text), W(std::u16string(startup::kMessageCaption)), style);
}

bool TmainForm::WMCopyData(HWND, const COPYDATASTRUCT *data)
{
    // Answered at once; the activation (which may start the target and wait) runs afterwards.
    if (IsHandOver(data, startup::Task().NoExecute))
        PostMessageW(Handle(), WM_HANDOVER, 0, 0);
    return false;
}

void TmainForm::WMWheelKey(int index)
{
    procwin::ResetWheelGesture();
    // The click was posted a moment ago: by now another program may be in front, and its keys are
    // not the target's to type.
    const HWND foreground = GetForegroundWindow();
    if (foreground == nullptr ||
        (foreground != procwin::TargetWnd() && foreground != procwin::TargetSubWnd()))
        return;
    procwin::SendWheelKey(
        WheelKeyStroke(index == 1 ? m_options.WheelKey1 : m_options.WheelKey2, ui::LayoutKeyNames()));
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
        WMCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT *>(lParam));
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
        ShowHiddenTarget();
        m_optionStore.SaveBeforeEnd();
        return TRUE;
    case WM_ENDSESSION:
        // Cancelled (false): the user's program and KV2 go on as before.
        if (wParam != FALSE)
            EndSession();
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam == FALSE && m_panel != nullptr)
            m_panel->KeepOnTop();
        return 0;
    case WM_CLOSE:
        CloseController();
        return 0;
    default:
        return Window::OnMessage(message, wParam, lParam);
    }
}

} // namespace controller
