#include "procwin/win/WindowEffects.h"

#include "common/win/Shell.h"
#include "common/win/SystemLibrary.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"
#include "procwin/Translucency.h"

namespace procwin
{

namespace
{

using SetLayered = BOOL(WINAPI *)(HWND, COLORREF, BYTE, DWORD);
using GetLayered = BOOL(WINAPI *)(HWND, COLORREF *, BYTE *, DWORD *);

// The layered-window functions, bound once from the system folder's user32.dll (which every GUI
// process has loaded, so the binding stays valid). Null on systems without them.
struct LayeredFunctions
{
    SetLayered set = nullptr;
    GetLayered get = nullptr;
};

const LayeredFunctions &Layered()
{
    static const LayeredFunctions functions = [] {
        const common::win::SystemLibrary user32(L"user32.dll");
        return LayeredFunctions{user32.Find<SetLayered>("SetLayeredWindowAttributes"),
                                user32.Find<GetLayered>("GetLayeredWindowAttributes")};
    }();
    return functions;
}

// A style change waits for the window's thread without a limit (it is told before and after), so it is
// made only when needed and only on a window that answers. False when it did not answer.
bool ChangeExStyle(HWND window, LONG add, LONG remove)
{
    const LONG style = GetWindowLongW(window, GWL_EXSTYLE);
    const LONG changed = (style | add) & ~remove;
    if (changed == style)
        return true;
    if (!Answers(window))
        return false;
    SetWindowLongW(window, GWL_EXSTYLE, changed);
    return true;
}

bool IsOwnThreadWindow(HWND window)
{
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// SetWindowPos flags for the window: a window of another thread is changed by its own thread, later,
// instead of the caller waiting for it.
UINT PositionFlags(HWND window, UINT flags)
{
    return IsOwnThreadWindow(window) ? flags : flags | SWP_ASYNCWINDOWPOS;
}

// The taskbar-list object and whether a button was put back. Owned for the controller's life.
// The shell's object; a plain pointer, since the program releases it before it ends (a global that
// releases it itself would run its release after the apartment is gone).
ITaskbarList *g_taskbarList = nullptr;
bool g_taskbarWanted = false; // TaskBarListCreate was called: make the object at its first use
bool g_tabShown = false;

} // namespace

void Show(HWND window, int command)
{
    if (IsOwnThreadWindow(window))
        ShowWindow(window, command);
    else
        ShowWindowAsync(window, command);
}

bool Move(HWND window, const Bounds &bounds)
{
    return SetWindowPos(window, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                        PositionFlags(window, SWP_NOZORDER | SWP_NOACTIVATE)) != FALSE;
}

bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) != 0;
}

bool SetCaption(HWND window, const std::u16string &caption)
{
    // SetWindowTextW would wait for the window's thread for good.
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(common::win::W(caption)),
                               SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) != 0;
}

OwnLayering ReadLayering(HWND window)
{
    OwnLayering own;
    own.layered = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    if (!own.layered)
        return own;
    COLORREF key = 0;
    BYTE alpha = kOpaqueAlpha;
    DWORD flags = 0;
    const GetLayered get = Layered().get;
    if (get == nullptr || !get(window, &key, &alpha, &flags))
    {
        own.drawsItself = true;
        return own;
    }
    own.colourKey = key;
    own.alpha = (flags & LWA_ALPHA) != 0 ? alpha : kOpaqueAlpha;
    own.flags = flags;
    return own;
}

bool SetTrans(HWND window, int percent, const OwnLayering &own)
{
    // Attributes given to a window that draws itself would make its own drawing fail.
    if (own.drawsItself)
        return true;
    const SetLayered set = Layered().set;
    if (percent == 100 && own.layered)
    {
        if (set != nullptr)
            set(window, own.colourKey, static_cast<BYTE>(own.alpha), own.flags);
        return true;
    }
    if (set != nullptr)
    {
        if (!ChangeExStyle(window, WS_EX_LAYERED, 0))
            return false;
        set(window, own.colourKey, static_cast<BYTE>(AlphaFromPercent(percent)),
            LWA_ALPHA | (own.flags & LWA_COLORKEY));
    }
    return percent != 100 || ChangeExStyle(window, 0, WS_EX_LAYERED);
}

int GetTrans(HWND window)
{
    if ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0)
        return 100;
    int alpha = -1;
    if (const GetLayered get = Layered().get)
    {
        BYTE value = 0;
        DWORD flags = LWA_ALPHA;
        if (get(window, nullptr, &value, &flags))
            alpha = value;
    }
    return PercentFromAlpha(alpha);
}

bool HasTrans(HWND window, int percent)
{
    const bool layered = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    if (percent >= 100)
        return !layered;
    const GetLayered get = Layered().get;
    if (get == nullptr)
        return true;
    BYTE alpha = 0;
    DWORD flags = 0;
    return layered && get(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) != 0 &&
           alpha == AlphaFromPercent(percent);
}

bool SetTopMost(HWND window, bool onTop)
{
    return SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        PositionFlags(window, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW)) != FALSE;
}

bool IsTopMost(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool SetTopMostQuietly(HWND window, bool onTop)
{
    return SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        PositionFlags(window, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE)) != FALSE;
}

bool SetToolWindow(HWND window)
{
    return ChangeExStyle(window, WS_EX_TOOLWINDOW, 0);
}

bool SetCaptionless(HWND window, bool on)
{
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    if ((style & WS_THICKFRAME) == 0)
        return true;
    if (!Answers(window))
        return false;
    // The style is written before the show, which a window of another thread makes later: written after
    // it, a style read before it would take WS_MAXIMIZE away and leave a maximized window that no longer
    // knows it is maximized. Turning the effect off always brings both caption bits back, whatever the
    // window had before.
    SetWindowLongW(window, GWL_STYLE, on ? (style & ~WS_CAPTION) : (style | WS_CAPTION));
    Show(window, on ? SW_SHOWMAXIMIZED : SW_RESTORE);
    SetWindowPos(
        window, nullptr, 0, 0, 0, 0,
        PositionFlags(window, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED));
    return true;
}

namespace
{

// The shell's object, made on first use: most tasks never change a taskbar button, and making it costs
// a start-up some milliseconds.
ITaskbarList *TaskbarList()
{
    if (g_taskbarList != nullptr || !g_taskbarWanted)
        return g_taskbarList;
    g_taskbarWanted = false; // one try: a failure is reported once, not at every change
    common::win::EnterComApartment();
    common::win::UniqueCom<IUnknown> unknown;
    HRESULT result = common::win::shell::CoCreateInstance(
        CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
        reinterpret_cast<void **>(unknown.Put()));
    if (FAILED(result))
        throw common::win::WinError("common::win::shell::CoCreateInstance(TaskbarList)",
                                    static_cast<DWORD>(result));
    result = unknown->QueryInterface(IID_ITaskbarList, reinterpret_cast<void **>(&g_taskbarList));
    if (FAILED(result))
    {
        g_taskbarList = nullptr;
        throw common::win::WinError("QueryInterface(ITaskbarList)", static_cast<DWORD>(result));
    }
    return g_taskbarList;
}

} // namespace

void TaskBarListCreate()
{
    TaskBarListRelease();
    g_taskbarWanted = true;
}

void TaskBarListAttach(ITaskbarList *list)
{
    TaskBarListRelease();
    g_taskbarWanted = false;
    if (list != nullptr)
        list->AddRef();
    g_taskbarList = list;
}

void TaskBarListRelease()
{
    const common::win::UniqueCom<ITaskbarList> released(std::exchange(g_taskbarList, nullptr));
    g_taskbarWanted = false;
    g_tabShown = false;
}

bool TabShown()
{
    return g_tabShown;
}

void TaskBarButtonShow(HWND window)
{
    if (g_tabShown)
        return;
    ITaskbarList *list = TaskbarList();
    if (list == nullptr)
        return;
    list->HrInit();
    list->AddTab(window);
    list->ActivateTab(window);
    g_tabShown = true;
}

void TaskBarButtonHide(HWND window)
{
    ITaskbarList *list = TaskbarList();
    if (list == nullptr)
        return;
    list->HrInit();
    list->DeleteTab(window);
    g_tabShown = false;
}

void TaskBarButtonAdd(HWND window)
{
    if (ITaskbarList *list = TaskbarList())
    {
        list->HrInit();
        list->AddTab(window);
    }
}

} // namespace procwin
