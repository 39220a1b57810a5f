#include "procwin/win/WindowEffects.h"

#include "common/win/SystemLibrary.h"
#include "common/win/WinError.h"
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

void ChangeExStyle(HWND window, LONG add, LONG remove)
{
    const LONG style = GetWindowLongW(window, GWL_EXSTYLE);
    SetWindowLongW(window, GWL_EXSTYLE, (style | add) & ~remove);
}

// The taskbar-list object and whether a button was put back. Owned for the controller's life.
ITaskbarList *g_taskbarList = nullptr;
bool g_tabShown = false;

} // namespace

void SetTrans(HWND window, int percent)
{
    if (const SetLayered set = Layered().set)
    {
        ChangeExStyle(window, WS_EX_LAYERED, 0);
        set(window, 0, static_cast<BYTE>(AlphaFromPercent(percent)), LWA_ALPHA);
    }
    if (percent == 100)
        ChangeExStyle(window, 0, WS_EX_LAYERED);
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

bool SetTopMost(HWND window, bool onTop)
{
    return SetWindowPos(window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW) != FALSE;
}

void SetToolWindow(HWND window)
{
    ChangeExStyle(window, WS_EX_TOOLWINDOW, 0);
}

void SetCaptionless(HWND window, bool on)
{
    if ((GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) == 0)
        return;
    ShowWindow(window, on ? SW_SHOWMAXIMIZED : SW_RESTORE);
    // Read again after the show: the style read before it lacks WS_MAXIMIZE, and writing that back
    // would leave a maximized window that no longer knows it is maximized. Turning the effect off
    // always brings both caption bits back, whatever the window had before.
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    SetWindowLongW(window, GWL_STYLE, on ? (style & ~WS_CAPTION) : (style | WS_CAPTION));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TaskBarListCreate()
{
    TaskBarListRelease();
    IUnknown *unknown = nullptr;
    HRESULT result = CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      IID_IUnknown, reinterpret_cast<void **>(&unknown));
    if (FAILED(result))
        throw common::win::WinError("CoCreateInstance(TaskbarList)", static_cast<DWORD>(result));
    result = unknown->QueryInterface(IID_ITaskbarList, reinterpret_cast<void **>(&g_taskbarList));
    unknown->Release();
    if (FAILED(result))
    {
        g_taskbarList = nullptr;
        throw common::win::WinError("QueryInterface(ITaskbarList)", static_cast<DWORD>(result));
    }
}

void TaskBarListAttach(ITaskbarList *list)
{
    TaskBarListRelease();
    g_taskbarList = list;
    if (g_taskbarList != nullptr)
        g_taskbarList->AddRef();
}

void TaskBarListRelease()
{
    if (g_taskbarList != nullptr)
        g_taskbarList->Release();
    g_taskbarList = nullptr;
    g_tabShown = false;
}

bool TabShown()
{
    return g_tabShown;
}

void TaskBarButtonShow(HWND window)
{
    if (g_taskbarList == nullptr || g_tabShown)
        return;
    g_taskbarList->HrInit();
    g_taskbarList->AddTab(window);
    g_taskbarList->ActivateTab(window);
    g_tabShown = true;
}

void TaskBarButtonHide(HWND window)
{
    if (g_taskbarList == nullptr)
        return;
    g_taskbarList->HrInit();
    g_taskbarList->DeleteTab(window);
    g_tabShown = false;
}

} // namespace procwin
