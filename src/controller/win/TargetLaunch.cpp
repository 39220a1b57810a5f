#include "controller/win/TargetLaunch.h"

#include "common/ScopeExit.h"
#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/WinText.h"
#include "controller/win/ErrorLog.h"
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
#include <span>
#include <utility>
#include <vector>

namespace controller
{

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
    // windows the launch judges itself (0: none); `family`: what the launched process started (null:
    // nothing is followed).
    ProgramWindowSearch(std::u16string programName, std::vector<HWND> before, DWORD skipped,
                        procwin::Descendants *family)
        : m_programName(std::move(programName)), m_before(std::move(before)), m_skipped(skipped),
          m_family(family)
    {
    }

    // The last qualifying window of one pass in the system's order: visible, unowned, with a caption
    // and a class name, of the same program or of a process the launched one started, not running
    // before; null when there is none. `otherProgram`: the window's program has another file name.
    HWND Pass(std::u16string &foundPath, bool &otherProgram)
    {
        HWND found = nullptr;
        bool looked = false;
        for (HWND window : procwin::TopLevelWindows())
        {
            if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr)
                continue;
            const DWORD processId = procwin::ProcessIdOf(window);
            if (m_skipped != 0 && processId == m_skipped)
                continue;
            Program *program = ProgramOf(processId, window);
            wchar_t className[2] = {};
            if (program == nullptr || GetWindowTextLengthW(window) <= 0 ||
                std::find(m_before.begin(), m_before.end(), window) != m_before.end() ||
                GetClassNameW(window, className, 2) <= 0 ||
                (!program->isTarget && !StartedByTheLaunch(processId, *program, looked)))
                continue;
            found = window;
            foundPath = program->exePath;
            otherProgram = !program->isTarget;
        }
        return found;
    }

  private:
    struct Program
    {
        std::u16string exePath;
        bool isTarget = false; // the same program file name as the target's
        bool stranger = false; // not started by the launched process (a process's parent never changes)
    };

    // Whether the launched process started the process, or one it started did. The system's processes
    // are listed (once a pass at most) only for a window of a process not judged yet: a listing costs a
    // wait as much as the rest of its passes.
    bool StartedByTheLaunch(DWORD processId, Program &program, bool &looked)
    {
        if (m_family == nullptr || program.stranger)
            return false;
        if (!m_family->Contains(processId) && !std::exchange(looked, true))
            m_family->Look();
        program.stranger = !m_family->Contains(processId);
        return !program.stranger;
    }

    // A path that could not be read yet (a process just starting) is asked again on the next pass.
    Program *ProgramOf(DWORD processId, HWND window)
    {
        const auto known = std::find_if(m_programs.begin(), m_programs.end(),
                                        [processId](const auto &entry) { return entry.first == processId; });
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
        return &m_programs.emplace_back(processId, Program{std::move(path), isTarget}).second;
    }

    std::u16string m_programName;
    std::vector<HWND> m_before;
    DWORD m_skipped;
    procwin::Descendants *m_family;
    std::vector<std::pair<DWORD, Program>> m_programs; // a pointer into it lives for one window of a pass
};

// How often a wait for the target's window looks by itself (milliseconds): soon after the start or an
// event of the new process, then ever more seldom. Events of the process wake it at once; the passes
// catch what sends no event (a window of another process, or a system that raises no show event).
constexpr DWORD kSearchPollFirst = 20;
constexpr DWORD kSearchPollLimit = 1000;

} // namespace

void TargetLaunch::FirstStart()
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

void TargetLaunch::LaunchFirst()
{
    bool adopted = false;
    m_listed.clear();
    if (m_companions != nullptr && !m_early.Made())
    {
        for (const procwin::ProgramWindow &entry :
             procwin::ProgramWindows(ProgramFileNameLower(m_session.ProgramPath())))
            m_listed.push_back(entry.window);
        if (!m_listed.empty())
        {
            m_view.ShowViews();
            if (m_view.Question(m_session.ProgramPath() +
                                    u"の\r\n実行を検出しました。\r\n処理対象を修正しますか？",
                                kQuestionStyle) == IDYES)
            {
                Modify();
                adopted = true;
            }
        }
    }
    if (startup::Task().NoExecute)
    {
        m_model.options.Live = true;
        m_view.MenuChanged();
        return;
    }
    if (!adopted)
        StartAndShow();
}

bool TargetLaunch::StartAndShow()
{
    if (!Start())
        return false;
    ShowAsync(m_session.TargetWnd(), startup::Task().ShowCommand);
    return true;
}

bool TargetLaunch::Start()
{
    if (!m_state.Enter(Phase::Starting))
        return false;
    m_view.MenuChanged();
    const startup::TaskDefinition &task = startup::Task();
    const std::u16string programPath = m_session.ProgramPath();
    m_wait.Reset();
    m_session.Reset();
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
    m_placement = early.Made() ? early.placement : StartPlacement(m_model.options);
    const std::optional<procwin::Bounds> &placement = m_placement;
    const auto endsWithController = [this] { return m_state.Closing(); };
    // What the launched process starts is followed from its start on (a launcher may hand over to a
    // program of another name and end).
    std::optional<procwin::Descendants> family;
    {
        // Commands run while the program starts up. The wait also ends when the program's window shows in
        // another process, as with a launcher that hands over to another copy: the search takes it at once.
        const std::u16string programName = ProgramFileNameLower(programPath);
        const std::vector<HWND> before = m_listed;
        const auto waitForStart = [&](DWORD launched, const std::function<bool()> &settled,
                                      std::span<const HANDLE> signals) {
            m_view.ShowViews();
            ProgramWindowSearch search(programName, before, launched, family ? &*family : nullptr);
            procwin::ProcessWindowEvents events(launched);
            std::u16string path;
            bool otherProgram = false;
            m_wait.Run([&] { return settled() || search.Pass(path, otherProgram) != nullptr; },
                       endsWithController,
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
                              : procwin::CreateApp(programPath, task.ProgramOption, task.WorkDir,
                                                   task.PriorityClass, placement);
            family.emplace(created.id);
            const procwin::LaunchedTarget found =
                procwin::FollowLaunch(std::move(created), placement, waitForStart);
            m_launchedProcess = found.processId;
            m_session.SetTarget(found.window, found.frame);
        }
        catch (const procwin::LaunchError &error)
        {
            if (error.Code() != procwin::kErrorElevationRequired || !HandToElevatedBuild())
                throw;
            return false;
        }
    }

    std::u16string foundPath;
    bool otherProgram = false; // a window of a program of another name that the launched one started
    const HWND launched = m_session.TargetWnd();
    const procwin::WndInfo info = launched != nullptr ? procwin::GetWndInfo(launched) : procwin::WndInfo{};
    if (launched == nullptr || info.className.empty())
        SearchTargetWindow(foundPath, otherProgram, family ? &*family : nullptr);
    else
        foundPath = info.exePath;

    const HWND target = m_session.TargetWnd();
    if (target == nullptr || m_state.Closing())
    {
        if (!m_state.Closing() && !m_wait.Stopped() && !m_quiet)
            m_view.Question(programPath + u"の\r\n起動に失敗しました。", kErrorStyle);
        return false;
    }

    // A packaged program (Windows 11 starts the packaged Notepad for System32's) cannot be started by
    // its path, nor can what a launcher hands over to: its window is taken quietly and the task keeps
    // its program.
    if (task.TaskFileGiven && !otherProgram && common::ToLower(programPath) != common::ToLower(foundPath) &&
        !procwin::IsPackagedProgramPath(foundPath) && !procwin::IsPackagedProcess(target))
        AskProgramChange(foundPath);
    if (placement && !IsIconic(target) && !IsZoomed(target))
    {
        const std::optional<procwin::Bounds> now = procwin::GetWndBounds(target);
        if (now && !(*now == *placement))
            procwin::Move(target, *placement);
    }
    m_session.Attach(target);
    return true;
}

// The fall-back search when the launch found no usable window: a visible, unowned, captioned window of
// the same program or of a process the launched one started, that was not running before, the last of a
// pass in the system's order.
HWND TargetLaunch::SearchTargetWindow(std::u16string &foundPath, bool &otherProgram,
                                      procwin::Descendants *family)
{
    ProgramWindowSearch search(ProgramFileNameLower(m_session.ProgramPath()), m_listed, 0, family);
    procwin::ProcessWindowEvents events(m_launchedProcess);
    m_wait.Run(
        [&] {
            const HWND found = search.Pass(foundPath, otherProgram);
            if (found != nullptr)
                m_session.SetTarget(found, m_session.TargetSubWnd());
            return found != nullptr;
        },
        [this] { return m_state.Closing(); },
        {.eventCame = [&] { return events.TakeEvent(); },
         .pollInterval = kSearchPollFirst,
         .pollLimit = kSearchPollLimit});
    return m_session.TargetWnd();
}

// A program that asks for administrator rights cannot be started with the user's. KV2A, beside KV2, can
// start the same task with them: the user decides, and KV2 closes once KV2A is started. False when
// there is no KV2A, the user said no or KV2A could not be started (the launch error stands).
bool TargetLaunch::HandToElevatedBuild()
{
    if (startup::kElevatedBuild)
        return false;
    const std::u16string elevated = common::win::ProgramFolder() + u"\\KV2A.exe";
    const startup::TaskDefinition &task = startup::Task();
    if (!common::win::FileExistsReady(elevated) ||
        m_view.Question(m_session.ProgramPath() +
                            u"の\r\n起動には管理者の権限が必要です。\r\nKV2Aで起動しますか？",
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

void TargetLaunch::AskProgramChange(const std::u16string &foundPath)
{
    if (m_view.Question(u"プログラムを\r\n" + m_session.ProgramPath() + u"から\r\n" + foundPath +
                            u"に\r\n変更しますか？",
                        kQuestionStyle) != IDYES)
        return;
    m_session.ChangeProgram(foundPath);
    m_optionStore.SaveProgram(foundPath);
    m_view.ShowCommandLine(m_session.CommandLine());
}

void TargetLaunch::Modify()
{
    if (m_companions == nullptr)
        return;
    m_view.SetClicksEnabled(false);
    const common::ScopeExit reenable([this] { m_view.SetClicksEnabled(true); });
    ui::TIRunFindForm &picker = m_companions->Picker();
    picker.MTargetExe = ProgramFileNameLower(m_session.ProgramPath());
    picker.MTargetHandle = nullptr;
    picker.ShowModal(m_view.Window());
    m_listed = picker.ListBoxH();
    if (picker.MTargetHandle != nullptr)
        m_session.Adopt(picker.MTargetHandle);
}

void TargetLaunch::Activate()
{
    // A start in progress is not started again from within its own wait.
    if (!m_session.Activate() && m_state.MayStart())
    {
        if (m_userStarts)
            m_userStarts();
        StartAndShow();
    }
}

bool TargetLaunch::Restart()
{
    if (!m_state.MayStart())
        return false;
    const procwin::ProcessIdentity ended = m_session.Identity();
    for (const procwin::ProgramWindow &entry :
         procwin::ProgramWindows(ProgramFileNameLower(m_session.ProgramPath())))
    {
        const procwin::ProcessIdentity copy = procwin::WindowProcessIdentity(entry.window);
        if (copy.id != ended.id && copy.created > ended.created)
        {
            m_session.Adopt(entry.window);
            return true;
        }
    }
    m_quiet = true;
    const common::ScopeExit loud([this] { m_quiet = false; });
    try
    {
        return StartAndShow();
    }
    catch (const std::exception &)
    {
        // The launch error goes to the log as ever; the restart counts as a failed end.
        AppendErrorLog(startup::Paths().ErrorLogPath, ErrorMessage(std::current_exception()));
        return false;
    }
}

} // namespace controller
