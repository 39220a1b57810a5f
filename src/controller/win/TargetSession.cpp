#include "controller/win/TargetSession.h"

#include "common/ScopeExit.h"
#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/IniFile.h"
#include "common/win/WinText.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/AppExecute.h"
#include "procwin/win/ProgramWindows.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowEvents.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"
#include "startup/Build.h"
#include "startup/CommandLine.h"
#include "startup/ProcessState.h"
#include "ui/win/IRunFindForm.h"

#include <algorithm>
#include <atomic>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

namespace controller
{

using common::win::UpdateIniFile;

using Phase = ControllerState::Phase;

namespace
{

constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION;        // 0x24
constexpr UINT kErrorStyle = MB_OK | MB_ICONHAND | MB_SYSTEMMODAL; // 0x1010

// Finds new windows of the target program, pass after pass of a wait. What a process's executable is
// (a process query, a disk test and a file search per path part) is worked out once per process, not
// once per window and pass: a pass asks each top-level window for its visibility, owner and process,
// and only the windows of the program for more.
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
            if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr)
                continue;
            const DWORD processId = procwin::ProcessIdOf(window);
            if (m_skipped != 0 && processId == m_skipped)
                continue;
            const Program *program = ProgramOf(processId, window);
            wchar_t className[2] = {};
            if (program == nullptr || !program->isTarget || GetWindowTextLengthW(window) <= 0 ||
                std::find(m_before.begin(), m_before.end(), window) != m_before.end() ||
                GetClassNameW(window, className, 2) <= 0)
                continue;
            found = window;
            foundPath = program->exePath;
        }
        return found;
    }

  private:
    struct Program
    {
        std::u16string exePath;
        bool isTarget = false; // the same program file name as the target's
    };

    // A path that could not be read yet (a process just starting) is asked again on the next pass.
    const Program *ProgramOf(DWORD processId, HWND window)
    {
        const auto known = m_programs.find(processId);
        if (known != m_programs.end())
            return &known->second;
        std::u16string path;
        {
            procwin::Wow64Redirection redirectionOff;
            path = procwin::GetWndInfo(window).exePath;
        }
        if (path.empty())
            return nullptr;
        const bool isTarget = ProgramFileNameLower(path) == m_programName;
        return &m_programs.emplace(processId, Program{std::move(path), isTarget}).first->second;
    }

    std::u16string m_programName;
    std::vector<HWND> m_before;
    DWORD m_skipped;
    std::unordered_map<DWORD, Program> m_programs;
};

// How often a wait for the target's window looks by itself (milliseconds): soon after the start or an
// event of the new process, then ever more seldom. Events of the process wake it at once; the passes
// catch what sends no event (a window of another process, or a system that raises no show event).
constexpr DWORD kSearchPollFirst = 20;
constexpr DWORD kSearchPollLimit = 1000;

} // namespace

void ShowAsync(HWND window, int command)
{
    if (window != nullptr)
        ShowWindowAsync(window, command);
}

namespace
{

std::atomic<HWND> g_publishedWindow{nullptr};
std::atomic<HWND> g_publishedFrame{nullptr};

} // namespace

PublishedTarget PublishedTargetWindows() noexcept
{
    return {g_publishedWindow.load(std::memory_order_relaxed), g_publishedFrame.load(std::memory_order_relaxed)};
}

void TargetSession::SetTarget(HWND window, HWND frame) noexcept
{
    m_target = window;
    m_frame = frame;
}

// The windows the fault handler shows again: a target can be hidden only once it is attached. Each copy
// is whole at any moment, which is all the handler needs: no order between them.
void TargetSession::Publish() noexcept
{
    g_publishedWindow.store(m_target, std::memory_order_relaxed);
    g_publishedFrame.store(m_frame, std::memory_order_relaxed);
}

void TargetSession::FirstStart()
{
    try
    {
        LaunchFirst();
    }
    catch (...)
    {
        m_view.ShowViews();
        throw;
    }
    m_view.ShowViews();
}

void TargetSession::LaunchFirst()
{
    const startup::TaskDefinition &task = startup::Task();
    bool adopted = false;
    m_listed.clear();
    if (m_companions != nullptr && !m_early.Made())
    {
        for (const procwin::ProgramWindow &entry :
             procwin::ProgramWindows(ProgramFileNameLower(task.ProgramPath)))
            m_listed.push_back(entry.window);
        if (!m_listed.empty())
        {
            m_view.ShowViews();
            if (m_view.Question(task.ProgramPath + u"の\r\n実行を検出しました。\r\n処理対象を修正しますか？",
                                kQuestionStyle) == IDYES)
            {
                Modify();
                adopted = true;
            }
        }
    }
    if (task.NoExecute)
    {
        m_model.options.Live = true;
        m_view.MenuChanged();
        return;
    }
    if (!adopted)
        StartAndShow();
}

bool TargetSession::StartAndShow()
{
    if (!Start())
        return false;
    ShowAsync(TargetWnd(), startup::Task().ShowCommand);
    return true;
}

bool TargetSession::Start()
{
    if (!m_state.Enter(Phase::Starting))
        return false;
    m_view.MenuChanged();
    startup::TaskDefinition &task = startup::Task();
    m_wait.Reset();
    SetTarget(nullptr, nullptr);
    Publish();
    m_identity = {};
    m_launchedProcess = 0;
    m_view.ShowStarting(true);
    // Every way out, the launch error included, shows the target's icon again.
    const common::ScopeExit restore([this] {
        m_state.Leave(Phase::Starting);
        m_view.ShowStarting(false);
        m_view.MenuChanged();
    });

    // A launch made before the controller existed is followed as it was made.
    EarlyLaunch early = std::exchange(m_early, {});
    const std::optional<procwin::Bounds> placement =
        early.Made() ? early.placement : StartPlacement(m_model.options);
    const auto endsWithController = [this] { return m_state.Closing(); };
    {
        // Commands run while the program starts up. The wait also ends when the program's window shows in
        // another process, as with a launcher that hands over to another copy: the search takes it at once.
        const std::u16string programName = ProgramFileNameLower(task.ProgramPath);
        const std::vector<HWND> before = m_listed;
        const auto waitForStart = [&](DWORD launched, const std::function<bool()> &settled,
                                      std::span<const HANDLE> signals) {
            m_view.ShowViews();
            ProgramWindowSearch search(programName, before, launched);
            procwin::ProcessWindowEvents events(launched);
            std::u16string path;
            m_wait.Run([&] { return settled() || search.Pass(path) != nullptr; }, endsWithController,
                       {.eventCame = [&] { return events.TakeEvent(); },
                        .pollInterval = kSearchPollFirst,
                        .pollLimit = kSearchPollLimit,
                        .handles = signals});
        };
        try
        {
            if (early.error)
                std::rethrow_exception(early.error);
            procwin::CreatedProcess created =
                early.process ? std::move(*early.process)
                              : procwin::CreateApp(task.ProgramPath, task.ProgramOption, task.WorkDir,
                                                   task.PriorityClass, placement);
            const procwin::LaunchedTarget found =
                procwin::FollowLaunch(std::move(created), placement, waitForStart);
            m_launchedProcess = found.processId;
            SetTarget(found.window, found.frame);
        }
        catch (const procwin::LaunchError &error)
        {
            if (error.Code() != procwin::kErrorElevationRequired || !HandToElevatedBuild())
                throw;
            return false;
        }
    }

    std::u16string foundPath;
    const HWND launched = TargetWnd();
    const procwin::WndInfo info = launched != nullptr ? procwin::GetWndInfo(launched) : procwin::WndInfo{};
    if (launched == nullptr || info.className.empty())
        SearchTargetWindow(foundPath);
    else
        foundPath = info.exePath;

    const HWND target = TargetWnd();
    if (target == nullptr || m_state.Closing())
    {
        if (!m_state.Closing() && !m_wait.Stopped())
            m_view.Question(task.ProgramPath + u"の\r\n起動に失敗しました。", kErrorStyle);
        return false;
    }

    if (task.TaskFileGiven && common::ToLower(task.ProgramPath) != common::ToLower(foundPath))
        AskProgramChange(foundPath);
    if (placement && !IsIconic(target) && !IsZoomed(target))
    {
        const std::optional<procwin::Bounds> now = procwin::GetWndBounds(target);
        if (now && !(*now == *placement))
            procwin::Move(target, *placement);
    }
    Attach(target);
    return true;
}

// What a new target window gets: the options that stay with the target, and its identity.
void TargetSession::Attach(HWND target)
{
    const TrayOptions &options = m_model.options;
    m_originalCaption = procwin::WindowText(target);
    m_identity = procwin::WindowProcessIdentity(target);
    m_model.targetAboveRights = procwin::RunsWithHigherRights(m_identity.id);
    if (m_frame != nullptr && !IsWindowVisible(m_frame))
        SetTarget(target, nullptr);
    m_hidden = false;
    Publish();
    // Written down before it is done: a KV2 that dies in between leaves nothing unrecorded.
    RecordChanges();
    if (options.TransValue < 100)
        procwin::SetTrans(target, options.TransValue);
    if (options.NonTaskBar)
        procwin::TaskBarButtonHide(target);
    if (options.MostTop)
        procwin::SetTopMost(target, true);
    m_keeper.Follow(target);
}

// The fall-back search when the launch found no usable window: a visible, unowned, captioned window of
// the same program that was not running before, the last of a pass in the system's order.
HWND TargetSession::SearchTargetWindow(std::u16string &foundPath)
{
    ProgramWindowSearch search(ProgramFileNameLower(startup::Task().ProgramPath), m_listed, 0);
    procwin::ProcessWindowEvents events(m_launchedProcess);
    m_wait.Run(
        [&] {
            const HWND found = search.Pass(foundPath);
            if (found != nullptr)
                SetTarget(found, m_frame);
            return found != nullptr;
        },
        [this] { return m_state.Closing(); },
        {.eventCame = [&] { return events.TakeEvent(); },
         .pollInterval = kSearchPollFirst,
         .pollLimit = kSearchPollLimit});
    return TargetWnd();
}

// A program that asks for administrator rights cannot be started with the user's. KV2A, beside KV2, can
// start the same task with them: the user decides, and KV2 closes once KV2A is started. False when
// there is no KV2A, the user said no or KV2A could not be started (the launch error stands).
bool TargetSession::HandToElevatedBuild()
{
    if (startup::kElevatedBuild)
        return false;
    const std::u16string elevated = common::win::ProgramFolder() + u"\\KV2A.exe";
    const startup::TaskDefinition &task = startup::Task();
    if (!common::win::FileExistsReady(elevated) ||
        m_view.Question(task.ProgramPath + u"の\r\n起動には管理者の権限が必要です。\r\nKV2Aで起動しますか？",
                        kQuestionStyle) != IDYES)
        return false;
    const std::u16string arguments =
        task.TaskFileGiven ? u"\"" + task.TaskFilePath + u"\""
                           : std::u16string(startup::ArgumentsOf(common::win::U(GetCommandLineW())));
    if (!procwin::StartThroughShell(elevated, arguments))
        return false;
    m_view.CloseLater();
    return true;
}

void TargetSession::AskProgramChange(const std::u16string &foundPath)
{
    startup::TaskDefinition &task = startup::Task();
    if (m_view.Question(u"プログラムを\r\n" + task.ProgramPath + u"から\r\n" + foundPath +
                            u"に\r\n変更しますか？",
                        kQuestionStyle) != IDYES)
        return;
    task.ProgramPath = foundPath;
    UpdateIniFile(task.TaskFilePath,
                  [&](common::IniDocument &file) { file.Set(u"Program", u"Name", task.ProgramPath); });
    task.CommandLine =
        task.ProgramOption.empty() ? task.ProgramPath : task.ProgramPath + u" " + task.ProgramOption;
    m_view.ShowCommandLine(task.CommandLine);
}

void TargetSession::Activate()
{
    const HWND target = TargetWnd();
    if (IsWindow(target))
    {
        const TrayOptions &options = m_model.options;
        ShowHidden();
        ReapplyTranslucency();
        if (options.NonTaskBar)
            procwin::TaskBarButtonHide(target);
        if (options.MostTop)
            procwin::SetTopMost(target, true);
        procwin::ForceForeground(target);
        return;
    }
    // A start in progress is not started again from within its own wait.
    if (m_state.MayStart())
        StartAndShow();
}

void TargetSession::Modify()
{
    if (m_companions == nullptr)
        return;
    m_view.SetClicksEnabled(false);
    const common::ScopeExit reenable([this] { m_view.SetClicksEnabled(true); });
    ui::TIRunFindForm &picker = m_companions->Picker();
    picker.MTargetExe = ProgramFileNameLower(startup::Task().ProgramPath);
    picker.MTargetHandle = nullptr;
    picker.ShowModal(m_view.Window());
    m_listed = picker.ListBoxH();
    const HWND chosen = picker.MTargetHandle;
    if (chosen == nullptr)
        return;
    const bool changed = chosen != TargetWnd();
    SetTarget(chosen, m_frame);
    Publish();
    m_identity = procwin::WindowProcessIdentity(chosen);
    m_model.targetAboveRights = procwin::RunsWithHigherRights(m_identity.id);
    m_keeper.Follow(chosen);
    if (changed)
    {
        m_hidden = false;
        Activate();
    }
    if (IsIconic(chosen))
        MinimizeStarted(chosen);
    RecordChanges();
}

void TargetSession::MinimizeStarted(HWND window)
{
    const HWND target = TargetWnd();
    const TrayOptions &options = m_model.options;
    if (options.Minimize)
    {
        if (target == nullptr || (window != target && window != TargetSubWnd()))
            return;
        // A hung target is left on screen (the tick calls again, and hides it once it answers) rather
        // than given one more hide to catch up on each tick.
        if (!procwin::Answers(target))
            return;
        m_hidden = true;
        RecordChanges(); // before the hide, which may be the last thing a dying KV2 does
        const HWND sub = TargetSubWnd();
        if (sub != nullptr && IsWindowVisible(sub))
            ShowAsync(sub, SW_HIDE);
        if (IsWindowVisible(target))
            ShowAsync(target, SW_HIDE);
    }
    else if (options.NonTaskBar)
    {
        procwin::TaskBarButtonShow(target);
    }
}

void TargetSession::MinimizeEnded()
{
    if (!m_model.options.Minimize && m_model.options.NonTaskBar)
        procwin::TaskBarButtonHide(TargetWnd());
}

void TargetSession::ShowHidden()
{
    const HWND target = TargetWnd();
    if (IsWindow(target) && !IsWindowVisible(target))
    {
        ShowAsync(target, SW_RESTORE);
        ShowAsync(TargetSubWnd(), SW_RESTORE);
    }
    if (std::exchange(m_hidden, false))
        RecordChanges();
}

void TargetSession::ShowMinimized()
{
    ShowAsync(TargetWnd(), SW_MINIMIZE);
    ShowAsync(TargetSubWnd(), SW_MINIMIZE);
    if (std::exchange(m_hidden, false))
        RecordChanges();
}

void TargetSession::ApplyTranslucency(int percent)
{
    const HWND target = TargetWnd();
    m_transMissed = procwin::SetTrans(target, percent) ? nullptr : target;
}

void TargetSession::ReapplyTranslucency()
{
    if (m_model.options.TransValue < 100)
        ApplyTranslucency(m_model.options.TransValue);
}

void TargetSession::ApplyCaptionless(bool captionless)
{
    const HWND target = TargetWnd();
    m_captionlessMissed = procwin::SetCaptionless(target, captionless) ? nullptr : target;
}

// What the user set and the program has reset since: the fixed caption, the topmost band, the
// translucency (the opaque default is never forced on a window that is layered by itself).
bool TargetSession::PutBack(HWND target)
{
    const TrayOptions &options = m_model.options;
    bool changed = false;
    if (options.Caption && procwin::WindowText(target) != options.Edit)
    {
        procwin::SetCaption(target, options.Edit);
        changed = true;
    }
    if (options.MostTop && !procwin::IsTopMost(target))
    {
        procwin::SetTopMostQuietly(target, true);
        changed = true;
    }
    if (options.TransValue < 100 && m_transMissed != target && !procwin::HasTrans(target, options.TransValue))
    {
        ApplyTranslucency(options.TransValue);
        changed = true;
    }
    return changed;
}

void TargetSession::Lost()
{
    m_keeper.Follow(nullptr);
    m_hidden = false;
    m_journal.Record({});
}

void TargetSession::RecordChanges()
{
    const HWND target = TargetWnd();
    JournalEntry entry;
    if (IsWindow(target) && !m_ended)
    {
        const TrayOptions &options = m_model.options;
        entry.window = reinterpret_cast<std::uintptr_t>(target);
        entry.subWindow = reinterpret_cast<std::uintptr_t>(TargetSubWnd());
        entry.target = m_identity;
        entry.hidden = m_hidden;
        entry.noTaskBar = options.NonTaskBar;
        entry.captionless = m_model.captionless;
        entry.topMost = options.MostTop;
        entry.translucency = options.TransValue;
        if (options.Caption)
            entry.caption = m_originalCaption;
    }
    m_journal.Record(std::move(entry));
}

void TargetSession::RestoreOrphans()
{
    m_journal.RestoreOrphans();
}

void TargetSession::End()
{
    if (std::exchange(m_ended, true))
        return;
    ShowHidden();
    m_journal.Remove();
    m_journal.RestoreOrphans();
}

void TargetSession::Check(HWND target)
{
    const TrayOptions &options = m_model.options;
    m_keeper.Follow(target);
    m_keeper.Look();
    if (m_transMissed == target && procwin::SetTrans(target, options.TransValue))
        m_transMissed = nullptr;
    if (m_captionlessMissed == target && procwin::SetCaptionless(target, m_model.captionless))
        m_captionlessMissed = nullptr;
    // No minimize event arrives for some windows (and none at all under some systems): a target found
    // minimized on screen goes to the tray all the same.
    if (options.Minimize && IsIconic(target) && IsWindowVisible(target))
        MinimizeStarted(target);
}

} // namespace controller
