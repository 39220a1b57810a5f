#include "procwin/win/Hook.h"

#include "common/win/Unique.h"
#include "procwin/WheelGesture.h"
#include "procwin/WheelKey.h"
#include "procwin/win/WindowInfo.h"

#include <atomic>
#include <utility>

namespace procwin
{

static_assert(WM_WHEELKEY1 == 0x465 && WM_WHEELKEY2 == 0x466,
              "the message numbers are part of KV2's interface");
static_assert(kKeyEventExtendedKey == KEYEVENTF_EXTENDEDKEY && kKeyEventKeyUp == KEYEVENTF_KEYUP);
static_assert(kKeyShift == VK_SHIFT && kKeyControl == VK_CONTROL && kKeyMenu == VK_MENU);

namespace
{

// ---- The mouse hook ----------------------------------------------------------------------------------
//
// The low-level mouse hook runs on a thread of its own, never on the user-interface thread: the system
// calls a low-level hook through the message queue of the thread that installed it, and every mouse
// event of the session waits for the answer. The user-interface thread blocks for up to a minute while
// a target starts (WaitForInputIdle) and runs nested message loops; the mouse would freeze meanwhile,
// and the system would drop a hook that keeps missing its time-out. The hook thread only pumps messages
// for the hook and for the click timer (TimerWClick), a timer of its message-only window, and posts
// its results to the controller's window.

constexpr wchar_t kHookWindowClassName[] = L"KV2MouseHookThread";
constexpr UINT kInstallMessage = WM_APP + 1;   // answers 1 when the hook is installed
constexpr UINT kUninstallMessage = WM_APP + 2; // answers 1
constexpr UINT kResetMessage = WM_APP + 3;     // posted
constexpr UINT_PTR kClickTimerId = 1;
constexpr DWORD kAnswerTimeoutMs = 1000;
constexpr DWORD kThreadStartTimeoutMs = 5000;

// Shared between the user-interface thread and the hook thread.
std::atomic<HWND> g_notifyWindow{nullptr}; // not owned
std::atomic<bool> g_key1Active{false};
std::atomic<bool> g_key2Active{false};
std::atomic<bool> g_mouseHookInstalled{false};

// Touched by the hook thread alone.
struct HookThreadState
{
    HWND window = nullptr; // message-only; owns the click timer
    common::win::UniqueHook hook;
    WheelGesture gesture;
    bool timerRunning = false;
    unsigned doubleClickTime = 500; // read when the hook is installed, so the hook itself asks nothing
};
HookThreadState g_hookThread;

WheelInputs CurrentInputs() noexcept
{
    return {.timerRunning = g_hookThread.timerRunning,
            .key1Active = g_key1Active.load(std::memory_order_relaxed),
            .key2Active = g_key2Active.load(std::memory_order_relaxed),
            .doubleClickTime = g_hookThread.doubleClickTime};
}

void StopClickTimer() noexcept
{
    KillTimer(g_hookThread.window, kClickTimerId);
    g_hookThread.timerRunning = false;
}

// Nothing here allocates, blocks or waits for another thread: it runs inside the mouse hook.
void Apply(const WheelActions &actions) noexcept
{
    if (actions.stopTimer)
        StopClickTimer();
    if (actions.startTimer)
        g_hookThread.timerRunning =
            SetTimer(g_hookThread.window, kClickTimerId, actions.timerInterval, nullptr) != 0;
    // A null window would make PostMessageW post to this thread instead.
    HWND notify = g_notifyWindow.load();
    if (notify == nullptr)
        return;
    if (actions.postKey1)
        PostMessageW(notify, WM_WHEELKEY1, 0, 0);
    if (actions.postKey2)
        PostMessageW(notify, WM_WHEELKEY2, 0, 0);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code < 0)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    const LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
    if (code != HC_ACTION || (wParam != WM_MBUTTONDOWN && wParam != WM_MBUTTONUP))
        return next;
    const WheelActions actions = g_hookThread.gesture.On(
        wParam == WM_MBUTTONDOWN ? WheelEvent::MButtonDown : WheelEvent::MButtonUp, CurrentInputs());
    Apply(actions);
    return actions.resultZero ? 0 : next;
}

bool InstallMouseHook() noexcept
{
    if (!g_hookThread.hook)
    {
        g_hookThread.doubleClickTime = GetDoubleClickTime();
        g_hookThread.hook.Reset(SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, GetModuleHandleW(nullptr), 0));
        g_mouseHookInstalled = static_cast<bool>(g_hookThread.hook);
    }
    return static_cast<bool>(g_hookThread.hook);
}

void UninstallMouseHook() noexcept
{
    g_hookThread.hook.Reset();
    g_mouseHookInstalled = false;
}

LRESULT CALLBACK HookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message)
    {
    case kInstallMessage:
        return InstallMouseHook() ? 1 : 0;
    case kUninstallMessage:
        UninstallMouseHook();
        return 1;
    case kResetMessage:
        g_hookThread.gesture.Reset();
        StopClickTimer();
        return 0;
    case WM_TIMER:
        if (wParam != kClickTimerId)
            break;
        Apply(g_hookThread.gesture.On(WheelEvent::TimerExpired, CurrentInputs()));
        return 0;
    case WM_CLOSE:
        UninstallMouseHook();
        StopClickTimer();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        g_hookThread.window = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The hook thread: started by the first MouseHookStart and kept for the life of the process.
class MouseHookThread
{
  public:
    static MouseHookThread &Instance()
    {
        static MouseHookThread thread;
        return thread;
    }

    // The thread's message-only window, starting the thread when it does not run; null when it
    // cannot be started (the next call tries again).
    HWND Window() noexcept
    {
        if (m_window != nullptr)
            return m_window;
        if (!m_ready)
            m_ready.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_thread && m_ready)
            m_thread.Reset(CreateThread(nullptr, 0, Main, this, 0, nullptr));
        if (!m_thread)
            return nullptr;
        // The thread sets m_window before it signals; a thread that fails ends instead.
        const HANDLE waits[] = {m_ready.Get(), m_thread.Get()};
        if (WaitForMultipleObjects(2, waits, FALSE, kThreadStartTimeoutMs) == WAIT_OBJECT_0 + 1)
            m_thread.Reset();
        return m_window;
    }
    // The window when the thread runs; never starts it.
    HWND RunningWindow() const noexcept
    {
        return m_window;
    }

    // At process exit: removes the hook and ends the thread, waiting a moment for it.
    ~MouseHookThread()
    {
        if (m_window != nullptr && PostMessageW(m_window, WM_CLOSE, 0, 0))
            WaitForSingleObject(m_thread.Get(), kAnswerTimeoutMs);
    }
    MouseHookThread(const MouseHookThread &) = delete;
    MouseHookThread &operator=(const MouseHookThread &) = delete;

  private:
    MouseHookThread() = default;

    static DWORD WINAPI Main(void *parameter) noexcept
    {
        auto *self = static_cast<MouseHookThread *>(parameter);
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = HookWindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kHookWindowClassName;
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return 1;
        g_hookThread.window = CreateWindowExW(0, kHookWindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                              nullptr, instance, nullptr);
        if (g_hookThread.window == nullptr)
            return 1;
        self->m_window = g_hookThread.window;
        SetEvent(self->m_ready.Get());

        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        UninstallMouseHook();
        return 0;
    }

    common::win::UniqueHandle m_ready; // set once the thread's window exists
    common::win::UniqueHandle m_thread;
    std::atomic<HWND> m_window{nullptr};
};

// Asks the hook thread and waits briefly for its answer; 0 when it does not answer.
LRESULT AskHookThread(HWND window, UINT message) noexcept
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &answer))
        return 0;
    return static_cast<LRESULT>(answer);
}

// ---- The window-event hook ---------------------------------------------------------------------------

// Touched by the thread that installed the hook alone.
struct WinEventState
{
    common::win::UniqueWinEventHook hook;
    MinimizeHandlers handlers;
};
WinEventState g_winEvent;

void ReportError(std::exception_ptr error) noexcept
{
    try
    {
        if (const auto onError = g_winEvent.handlers.onError)
            onError(std::move(error));
    }
    catch (...)
    {
        // The error handler failed as well; nothing may unwind into the system.
    }
}

void CALLBACK WinEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) noexcept
{
    if (event != EVENT_SYSTEM_MINIMIZESTART && event != EVENT_SYSTEM_MINIMIZEEND)
        return;
    // Wine ignores WINEVENT_SKIPOWNPROCESS, so our own windows are filtered here as well.
    if (ProcessIdOf(window) == GetCurrentProcessId())
        return;
    try
    {
        // A copy: the handler may replace the handlers.
        const auto handler = event == EVENT_SYSTEM_MINIMIZESTART ? g_winEvent.handlers.onMinimizeStart
                                                                 : g_winEvent.handlers.onMinimizeEnd;
        if (handler)
            handler(window);
    }
    catch (...)
    {
        ReportError(std::current_exception());
    }
}

} // namespace

void SetWheelGestures(bool key1Active, bool key2Active) noexcept
{
    g_key1Active = key1Active;
    g_key2Active = key2Active;
}

bool MouseHookStart(HWND notify)
{
    g_notifyWindow = notify;
    if (g_mouseHookInstalled)
        return true;
    HWND window = MouseHookThread::Instance().Window();
    return window != nullptr && AskHookThread(window, kInstallMessage) != 0;
}

void MouseHookStop()
{
    if (!g_mouseHookInstalled)
        return;
    if (HWND window = MouseHookThread::Instance().RunningWindow())
        AskHookThread(window, kUninstallMessage);
}

bool IsMouseHookInstalled() noexcept
{
    return g_mouseHookInstalled;
}

void ResetWheelGesture() noexcept
{
    if (HWND window = MouseHookThread::Instance().RunningWindow())
        PostMessageW(window, kResetMessage, 0, 0);
}

bool WinEventHookStart(MinimizeHandlers handlers)
{
    g_winEvent.handlers = std::move(handlers);
    if (!g_winEvent.hook)
        g_winEvent.hook.Reset(SetWinEventHook(EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND, nullptr,
                                              WinEventProc, 0, 0,
                                              WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    return static_cast<bool>(g_winEvent.hook);
}

void WinEventHookStop()
{
    g_winEvent.hook.Reset();
    g_winEvent.handlers = {};
}

bool IsWinEventHookInstalled() noexcept
{
    return static_cast<bool>(g_winEvent.hook);
}

void SendWheelKey(const KeyStroke &stroke)
{
    HWND foreground = GetForegroundWindow(); // not owned
    ForceForeground(foreground);
    SetFocus(foreground);
    for (const KeyEvent &event : WheelKeyEvents(stroke))
        keybd_event(event.key, 0, event.flags, 0);
}

} // namespace procwin
