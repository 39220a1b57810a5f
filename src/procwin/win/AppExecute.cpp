#include "procwin/win/AppExecute.h"

#include "common/Text.h"
#include "common/win/Shell.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"
#include "procwin/LaunchPlan.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <memory>

namespace procwin
{

namespace
{

// Module state, read by every part and reassigned only by the controller.
ProcessCreator g_processCreator = &CreateProcessW;

// The first top-level window of the process in the system's order; with `visibleUnownedOnly`, the
// first that is also visible and has no owner.
HWND FirstWindowOf(DWORD processId, bool visibleUnownedOnly)
{
    for (HWND window : TopLevelWindows())
    {
        if (ProcessIdOf(window) != processId)
            continue;
        if (visibleUnownedOnly && (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr))
            continue;
        return window;
    }
    return nullptr;
}

HWND FirstVisibleUnownedWindow(DWORD processId)
{
    return FirstWindowOf(processId, true);
}

std::u16string ClassNameOf(HWND window)
{
    wchar_t name[260] = {};
    const int length = GetClassNameW(window, name, 260);
    return common::win::U(name, static_cast<size_t>(length > 0 ? length : 0));
}

// The window that carries the frame: below an application window of class "TApplication", else the
// top of the chain of the process's first window.
HWND FindFrameWindow(DWORD processId)
{
    HWND window = FirstProcessWindow(processId);
    HWND below = window;
    for (int depth = 0; window != nullptr && depth < 1000; ++depth)
    {
        const HWND parent = GetParent(window);
        if (parent == nullptr)
            break;
        below = window;
        window = parent;
    }
    return window == nullptr ? nullptr : ChooseFrameWindow(window, below, ClassNameOf(window));
}

// WaitForInputIdle on a helper thread, which owns its own handle to the process and outlives a caller
// that stops waiting early; the caller learns the outcome from the event.
struct IdleWatch
{
    common::win::UniqueHandle process;
    common::win::UniqueHandle done; // manual-reset, set once `result` holds the outcome
    std::atomic<DWORD> result{WAIT_TIMEOUT};
};

DWORD WINAPI WatchIdle(void *parameter) noexcept
{
    const std::unique_ptr<std::shared_ptr<IdleWatch>> watch(
        static_cast<std::shared_ptr<IdleWatch> *>(parameter));
    (*watch)->result = WaitForInputIdle((*watch)->process.Get(), kIdleWaitMilliseconds);
    SetEvent((*watch)->done.Get());
    return 0;
}

bool IsSignalled(HANDLE handle)
{
    return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
}

// What WaitForInputIdle answers for the new process, waited for through the caller's wait: 0 once it
// is idle, WAIT_FAILED when it cannot become idle, WAIT_TIMEOUT when it ended or the wait ended first.
DWORD WaitUntilIdle(HANDLE process, DWORD processId, const LaunchWait &wait)
{
    // Idle already (a second wait), or no message queue at all (a console program).
    const DWORD now = WaitForInputIdle(process, 0);
    if (now != WAIT_TIMEOUT)
        return now;
    const std::shared_ptr<IdleWatch> watch(new IdleWatch()); // make_shared brings library locks along
    HANDLE own = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &own, 0, FALSE,
                        DUPLICATE_SAME_ACCESS))
        watch->process.Reset(own);
    watch->done.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watch->process || !watch->done)
        return WAIT_FAILED;
    auto *shared = new std::shared_ptr<IdleWatch>(watch);
    const common::win::UniqueHandle thread(CreateThread(nullptr, 0, WatchIdle, shared, 0, nullptr));
    if (!thread)
    {
        delete shared;
        return WAIT_FAILED;
    }
    const HANDLE signals[] = {watch->done.Get(), process};
    wait(processId, [&] { return IsSignalled(watch->done.Get()) || IsSignalled(process); }, signals);
    return IsSignalled(watch->done.Get()) ? watch->result.load() : WAIT_TIMEOUT;
}

PROCESS_INFORMATION CreateExactly(const std::u16string &programPath, const std::u16string &arguments,
                                  const std::u16string &workDir, DWORD creationFlags,
                                  const std::optional<Bounds> &placement)
{
    STARTUPINFOW own{};
    GetStartupInfoW(&own);
    STARTUPINFOW startup = StartupRecordFor(own, placement);
    // The system may write into the command line, so it gets a copy of its own.
    std::u16string commandLine = ExactCommandLine(programPath, arguments);
    PROCESS_INFORMATION created{};
    const bool valid = (programPath + arguments + workDir).find(u'\0') == std::u16string::npos;
    if (!valid)
        SetLastError(ERROR_INVALID_PARAMETER);
    if (!valid || !g_processCreator(common::win::W(programPath), common::win::Writable(commandLine), nullptr,
                                    nullptr, FALSE, creationFlags, nullptr,
                                    workDir.empty() ? nullptr : common::win::W(workDir), &startup, &created))
        return {};
    return created;
}

void BringIntoNormalState(const LaunchedTarget &found, const std::optional<Bounds> &placement)
{
    const HWND frame = found.frame != nullptr ? found.frame : found.window;
    RECT r{};
    std::optional<Rect> rect;
    if (GetWindowRect(frame, &r))
        rect = Rect{r.left, r.top, r.right, r.bottom};
    const RestorePlan plan = PlanRestore(rect, IsZoomed(frame) != FALSE, IsIconic(frame) != FALSE, placement);
    if (plan.restore)
        Show(found.window, SW_RESTORE); // the state is read on the frame, the command goes to the target
    if (plan.move)
        Move(frame, *placement);
}

} // namespace

LaunchError::LaunchError(const std::u16string &text, DWORD code)
    : common::Error(common::Utf16ToUtf8(text)), m_text(text), m_code(code)
{
}

namespace
{

template <typename Interface> using ComPtr = common::win::UniqueCom<Interface>;

// A BSTR variant freed with its scope.
struct TextVariant
{
    explicit TextVariant(const std::u16string &text)
    {
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(common::win::W(text));
    }
    ~TextVariant()
    {
        VariantClear(&value);
    }
    TextVariant(const TextVariant &) = delete;
    TextVariant &operator=(const TextVariant &) = delete;
    VARIANT value;
};

// The shell's automation object of the desktop's folder view: its ShellExecute runs in the shell.
bool DesktopShell(ComPtr<IShellDispatch2> &shell)
{
    ComPtr<IShellWindows> windows;
    common::win::EnterComApartment();
    if (FAILED(common::win::shell::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                                    IID_IShellWindows,
                                                    reinterpret_cast<void **>(windows.Put()))))
        return false;
    VARIANT location;
    VariantInit(&location);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT root;
    VariantInit(&root);
    long window = 0;
    ComPtr<IDispatch> desktop;
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Put()) != S_OK ||
        !desktop)
        return false;
    ComPtr<IServiceProvider> provider;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    return SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void **>(provider.Put()))) &&
           SUCCEEDED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, reinterpret_cast<void **>(browser.Put()))) &&
           SUCCEEDED(browser->QueryActiveShellView(view.Put())) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void **>(background.Put()))) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, reinterpret_cast<void **>(folderView.Put()))) &&
           SUCCEEDED(folderView->get_Application(application.Put())) &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void **>(shell.Put())));
}

} // namespace

bool StartAsShellUser(const std::u16string &programPath, const std::u16string &arguments)
{
    ComPtr<IShellDispatch2> shell;
    if (!DesktopShell(shell))
        return false;
    TextVariant file(programPath), parameters(arguments), folder(u""), operation(u"open");
    VARIANT show;
    VariantInit(&show);
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(
        shell->ShellExecute(file.value.bstrVal, parameters.value, folder.value, operation.value, show));
}

void SetProcessCreator(ProcessCreator creator) noexcept
{
    g_processCreator = creator != nullptr ? creator : &CreateProcessW;
}

bool StartThroughShell(const std::u16string &programPath, const std::u16string &arguments)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = common::win::W(programPath);
    info.lpParameters = common::win::W(arguments);
    info.nShow = SW_SHOWNORMAL;
    common::win::EnterComApartment();
    return common::win::shell::ShellExecuteExW(&info) != FALSE;
}

STARTUPINFOW StartupRecordFor(const STARTUPINFOW &own, const std::optional<Bounds> &placement) noexcept
{
    STARTUPINFOW startup = own;
    startup.cb = sizeof(startup);
    startup.lpReserved = nullptr;
    startup.lpDesktop = nullptr;
    startup.lpTitle = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    startup.wShowWindow = kStartupShowDefault;
    // KV2's own standard handles are not inherited: the child must not be told to use them.
    if ((startup.dwFlags & STARTF_USESTDHANDLES) != 0)
    {
        startup.dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nullptr;
    }
    if (placement)
    {
        const StartupPlacement fields = StartupPlacementFor(*placement);
        startup.dwFlags = fields.flags;
        startup.dwX = static_cast<DWORD>(fields.x);
        startup.dwY = static_cast<DWORD>(fields.y);
        startup.dwXSize = static_cast<DWORD>(fields.width);
        startup.dwYSize = static_cast<DWORD>(fields.height);
    }
    return startup;
}

HWND FirstProcessWindow(DWORD processId)
{
    return FirstWindowOf(processId, false);
}

CreatedProcess CreateApp(const std::u16string &programPath, const std::u16string &arguments,
                         const std::u16string &workDir, DWORD priorityClass,
                         const std::optional<Bounds> &placement)
{
    PROCESS_INFORMATION created{};
    DWORD error = 0;
    {
        // Only around the creation: the waits that follow run messages, and the bracket does not nest.
        Wow64Redirection redirectionOff;
        created = CreateExactly(programPath, arguments, workDir, CreationFlags(priorityClass), placement);
        error = created.hProcess == nullptr ? GetLastError() : 0;
    }
    if (created.hProcess == nullptr)
        throw LaunchError(LaunchErrorText(arguments.empty() ? programPath : programPath + u" " + arguments), error);
    CreatedProcess process;
    process.process.Reset(created.hProcess);
    process.thread.Reset(created.hThread);
    process.id = created.dwProcessId;
    return process;
}

LaunchedTarget FollowLaunch(CreatedProcess created, const std::optional<Bounds> &placement,
                            const LaunchWait &wait)
{
    LaunchedTarget found{.processId = created.id};
    const HANDLE process = created.process.Get();
    // A console program has no message queue: the wait fails at once and no window is taken.
    if (WaitUntilIdle(process, created.id, wait) == 0)
        found.window = FirstVisibleUnownedWindow(created.id);
    if (placement)
    {
        const HWND frame =
            WaitUntilIdle(process, created.id, wait) == 0 ? FindFrameWindow(created.id) : nullptr;
        if (frame != found.window)
            found.frame = frame;
    }
    if (found.window != nullptr)
        BringIntoNormalState(found, placement);
    return found;
}

LaunchedTarget ExecuteApp(const std::u16string &programPath, const std::u16string &arguments,
                          const std::u16string &workDir, DWORD priorityClass,
                          const std::optional<Bounds> &placement, const LaunchWait &wait)
{
    return FollowLaunch(CreateApp(programPath, arguments, workDir, priorityClass, placement), placement,
                        wait);
}

bool StartProgram(const std::u16string &programPath, const std::u16string &arguments,
                  const std::u16string &workDir)
{
    const PROCESS_INFORMATION created =
        CreateExactly(programPath, arguments, workDir, CreationFlags(0), std::nullopt);
    const common::win::UniqueHandle process(created.hProcess);
    const common::win::UniqueHandle thread(created.hThread);
    return process.Get() != nullptr;
}

bool CloseTargetWnd(HWND target)
{
    return target != nullptr && PostMessageW(target, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

} // namespace procwin
