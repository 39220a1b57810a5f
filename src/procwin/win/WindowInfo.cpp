#include "procwin/win/WindowInfo.h"

#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/SystemFonts.h"
#include "common/win/SystemLibrary.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/Wow64.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace procwin
{

using common::win::U;
using common::win::UniqueHandle;

namespace
{

constexpr int kTextBuffer = 260;

std::u16string TrimmedText(const wchar_t *buffer, int length)
{
    if (length <= 0)
        return {};
    return std::u16string(common::CutAtNulTrimRight(U(buffer, static_cast<size_t>(length))));
}

UniqueHandle OpenWindowProcess(HWND window, DWORD access)
{
    const DWORD processId = ProcessIdOf(window);
    if (processId == 0)
        return UniqueHandle();
    return UniqueHandle(OpenProcess(access, FALSE, processId));
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) noexcept
{
    try
    {
        reinterpret_cast<std::vector<HWND> *>(windows)->push_back(window);
        return TRUE;
    }
    catch (...)
    {
        return FALSE; // out of memory: nothing more can be kept
    }
}

} // namespace

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    windows.reserve(512);
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::u16string WindowText(HWND window)
{
    const int length = std::max(GetWindowTextLengthW(window), 0);
    std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, common::win::Writable(buffer), length + 1);
    buffer.resize(static_cast<size_t>(std::max(copied, 0)));
    return buffer;
}

DWORD ProcessIdOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// The program's own path in drive-letter form, from the system itself: a limited query, which a program
// of higher rights grants too, and no library to load (this runs inside the redirection bracket).
std::u16string GetWndExePath(HWND window)
{
    UniqueHandle process = OpenWindowProcess(window, PROCESS_QUERY_LIMITED_INFORMATION);
    if (!process)
        return {};
    wchar_t path[kTextBuffer] = {};
    DWORD length = kTextBuffer;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &length))
        return {};
    return U(path, std::min<DWORD>(length, kTextBuffer));
}

bool IsPackagedProcess(HWND window)
{
    using GetPackageFullName = LONG(WINAPI *)(HANDLE, UINT32 *, PWSTR);
    // Windows 8 and later; kernel32 is loaded in every process, so nothing is loaded here.
    const auto get = common::win::LoadedFunction<GetPackageFullName>(L"kernel32.dll", "GetPackageFullName");
    if (get == nullptr)
        return false;
    UniqueHandle process = OpenWindowProcess(window, PROCESS_QUERY_LIMITED_INFORMATION);
    if (!process)
        return false;
    UINT32 length = 0;
    const LONG result = get(process.Get(), &length, nullptr);
    return result == ERROR_SUCCESS || result == ERROR_INSUFFICIENT_BUFFER;
}

WndInfo GetWndInfo(HWND window)
{
    WndInfo info;
    if (window == nullptr || !IsWindowVisible(window) || GetWindowTextLengthW(window) <= 0)
        return info;
    const std::u16string title = WindowText(window);
    info.title = common::CutAtNulTrimRight(std::u16string_view(title).substr(0, kTextBuffer - 1));
    wchar_t buffer[kTextBuffer] = {};
    info.className = TrimmedText(buffer, GetClassNameW(window, buffer, kTextBuffer));
    info.exePath = GetWndExePath(window);
    if (common::win::FileExistsReady(info.exePath))
        info.exePath = common::win::GetTrueCasePath(info.exePath);
    return info;
}

HWND RootWnd(HWND window)
{
    // A chain of parents and owners always ends; the bound only guards against a window whose
    // parent changes under the walk.
    for (int depth = 0; depth < 1000; ++depth)
    {
        const HWND parent = GetParent(window);
        if (parent == nullptr)
            break;
        window = parent;
    }
    return window;
}

std::optional<Rect> GetWndRect(HWND window)
{
    RECT r{};
    if (!GetWindowRect(window, &r))
        return std::nullopt;
    const Rect rect{r.left, r.top, r.right, r.bottom};
    if (IsParked(rect))
        return std::nullopt;
    return rect;
}

std::optional<Bounds> GetWndBounds(HWND window)
{
    const auto rect = GetWndRect(window);
    if (!rect)
        return std::nullopt;
    return Bounds{rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
}

bool IsOffScreen(const Bounds &bounds)
{
    const std::vector<MonitorArea> monitors = CurrentMonitors();
    for (const Point &point : ScreenProbePoints(bounds))
        for (const MonitorArea &m : monitors)
            if (point.x >= m.monitor.left && point.x < m.monitor.right && point.y >= m.monitor.top &&
                point.y < m.monitor.bottom)
                return false;
    return true;
}

namespace
{

MonitorListSource g_monitorListSource = nullptr;

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT *, LPARAM list)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
    {
        const RECT &m = info.rcMonitor, &w = info.rcWork;
        reinterpret_cast<std::vector<MonitorArea> *>(list)->push_back({{m.left, m.top, m.right, m.bottom},
                                                                       {w.left, w.top, w.right, w.bottom},
                                                                       common::win::MonitorDpi(monitor)});
    }
    return TRUE;
}

} // namespace

std::vector<MonitorArea> CurrentMonitors()
{
    if (g_monitorListSource != nullptr)
        return g_monitorListSource();
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void SetMonitorListSource(MonitorListSource source) noexcept
{
    g_monitorListSource = source;
}

Bounds PlaceOnCurrentMonitors(const Bounds &remembered, std::u16string_view layout)
{
    // The band from the window's top edge to the bottom of its caption is what the user grabs.
    const std::int32_t titleBar = GetSystemMetrics(SM_CYSIZEFRAME) + GetSystemMetrics(SM_CYCAPTION);
    const Rect place = PlaceRemembered({remembered.left, remembered.top, remembered.left + remembered.width,
                                        remembered.top + remembered.height},
                                       ParseMonitorLayout(layout), CurrentMonitors(), titleBar);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

void CenterIfOffScreen(HWND window)
{
    if (IsZoomed(window))
        return;
    const auto bounds = GetWndBounds(window);
    if (!bounds || !IsOffScreen(*bounds))
        return;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    std::optional<Taskbar> taskbar;
    if (common::win::shell::SHAppBarMessage(ABM_GETTASKBARPOS, &bar) && bar.uEdge <= ABE_BOTTOM)
        taskbar = Taskbar{static_cast<TaskbarEdge>(bar.uEdge),
                          {bar.rc.left, bar.rc.top, bar.rc.right, bar.rc.bottom}};
    const Rect area = ScreenArea({work.left, work.top, work.right, work.bottom}, taskbar);
    const Point place = CenteredPosition(area, bounds->width, bounds->height);
    MoveWindow(window, place.x, place.y, bounds->width, bounds->height, TRUE);
}

DWORD GetWndPriority(HWND window)
{
    UniqueHandle process = OpenWindowProcess(window, PROCESS_QUERY_INFORMATION);
    return process ? GetPriorityClass(process.Get()) : 0;
}

DWORD SetWndPriority(HWND window, DWORD priorityClass)
{
    if (UniqueHandle process = OpenWindowProcess(window, PROCESS_SET_INFORMATION))
        SetPriorityClass(process.Get(), priorityClass);
    return GetWndPriority(window);
}

namespace
{

ULONGLONG CreationTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

} // namespace

ProcessIdentity WindowProcessIdentity(HWND window)
{
    ProcessIdentity identity{ProcessIdOf(window), 0};
    if (UniqueHandle process = OpenWindowProcess(window, PROCESS_QUERY_LIMITED_INFORMATION))
        identity.created = CreationTime(process.Get());
    return identity;
}

ProcessIdentity OwnProcessIdentity()
{
    return {GetCurrentProcessId(), CreationTime(GetCurrentProcess())};
}

std::optional<std::uint32_t> SessionOf(DWORD processId)
{
    DWORD session = 0;
    if (!ProcessIdToSessionId(processId, &session))
        return std::nullopt;
    return session;
}

bool IsRunning(const ProcessIdentity &identity)
{
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, identity.id));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    return CreationTime(process.Get()) == identity.created && GetExitCodeProcess(process.Get(), &exitCode) &&
           exitCode == STILL_ACTIVE;
}

namespace
{

// Whether the process's token is elevated; empty when it cannot be read.
std::optional<bool> Elevated(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return std::nullopt;
    const UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size))
        return std::nullopt;
    return elevation.TokenIsElevated != 0;
}

} // namespace

bool RunsElevated(DWORD processId)
{
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    // A token this program may not even read belongs to a process above it.
    const std::optional<bool> elevated = Elevated(process.Get());
    return elevated ? *elevated : GetLastError() == ERROR_ACCESS_DENIED;
}

bool RunsAboveTheUser(DWORD processId)
{
    if (!RunsElevated(processId))
        return false;
    DWORD taskbar = 0;
    if (const HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr))
        GetWindowThreadProcessId(tray, &taskbar);
    return taskbar == 0 || !RunsElevated(taskbar);
}

bool RunsWithHigherRights(DWORD processId)
{
    return !Elevated(GetCurrentProcess()).value_or(false) && RunsElevated(processId);
}

bool TerminateIdentifiedProcess(const ProcessIdentity &identity)
{
    if (identity.id == 0 || identity.created == 0)
        return false;
    UniqueHandle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, identity.id));
    if (!process || CreationTime(process.Get()) != identity.created)
        return false;
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE)
        return false;
    return TerminateProcess(process.Get(), 0) != FALSE;
}

namespace
{

void BringToFront(HWND window)
{
    // BringWindowToTop waits for the window's thread, which may not answer; this changes the window
    // on its own thread instead.
    const UINT async =
        GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() ? 0 : SWP_ASYNCWINDOWPOS;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | async);
    SetForegroundWindow(window);
    // That thread activates the window when it handles these requests, before it answers the probe that
    // follows them: so the caller sees the outcome, and waits no longer than the probe for a hung window.
    if (async != 0)
        Answers(window);
}

// Windows 98/Me and the NT family from Windows 2000 on lock the foreground against other processes.
bool HasForegroundLock()
{
    const OSVERSIONINFOW version = common::win::SystemVersion();
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return version.dwMajorVersion > 4 || (version.dwMajorVersion == 4 && version.dwMinorVersion > 0);
    return version.dwMajorVersion > 4;
}

} // namespace

bool ForceForeground(HWND window)
{
    if (GetForegroundWindow() == window)
        return true;
    if (!HasForegroundLock())
    {
        BringToFront(window);
        return GetForegroundWindow() == window;
    }
    const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    if (windowThread != 0 && foregroundThread != 0 && AttachThreadInput(windowThread, foregroundThread, TRUE))
    {
        BringToFront(window);
        AttachThreadInput(windowThread, foregroundThread, FALSE);
        if (GetForegroundWindow() == window)
            return true;
    }
    // The lock time-out set to 0 lets this process take the foreground; the user's value comes back.
    DWORD timeout = 0;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
    BringToFront(window);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                          reinterpret_cast<void *>(static_cast<UINT_PTR>(timeout)), SPIF_SENDCHANGE);
    return GetForegroundWindow() == window;
}

void FitListBoxExtent(HWND listBox)
{
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    if (count == LB_ERR)
        return;
    const common::win::UniqueDc dc(listBox);
    const HGDIOBJ old = SelectObject(dc.Dc(), reinterpret_cast<HGDIOBJ>(SendMessageW(listBox, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    std::u16string text;
    for (LRESULT i = 0; i < count; ++i)
    {
        const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR)
            continue;
        text.assign(static_cast<size_t>(length) + 1, u'\0');
        SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        SIZE size{};
        GetTextExtentPoint32W(dc.Dc(), common::win::W(text), static_cast<int>(length), &size);
        widest = std::max(widest, size.cx);
    }
    SelectObject(dc.Dc(), old);
    SendMessageW(listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest) * 2, 0);
}

} // namespace procwin
