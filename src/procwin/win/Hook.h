// The program's two system hooks, and the key stroke of a wheel gesture.
//
// The low-level mouse hook watches the middle button and reports single and double wheel clicks by
// posting WM_WHEELKEY1 / WM_WHEELKEY2 to the notification window. It runs on a thread of its own (see
// Hook.cpp). The window-event hook reports other programs' windows starting and ending to minimize; its
// callbacks arrive through the message loop of the thread that installed it.
//
// Every function here is meant for the user-interface thread.
#pragma once

#include "procwin/WheelKey.h"

#include <windows.h>

#include <exception>
#include <functional>

namespace procwin
{

// Posted to the notification window with wParam and lParam 0.
constexpr UINT WM_WHEELKEY1 = WM_USER + 101; // a single wheel click was recognised
constexpr UINT WM_WHEELKEY2 = WM_USER + 102; // a double wheel click was recognised

// Which gestures the mouse hook reports: a gesture is active when its menu item is checked and its key
// text is not empty. Both are off until set; the hook reads them at each button event.
void SetWheelGestures(bool key1Active, bool key2Active) noexcept;

// Makes `notify` the window that receives the private messages (replacing the previous one) and, when
// no mouse hook is installed, installs one. Waits at most about a second for the hook thread, started
// the first time. Answers whether the hook is installed afterwards; on failure the next call tries
// again. The caller renews the hook after MouseHookResetCount monitor ticks (procwin/WheelGesture.h).
bool MouseHookStart(HWND notify);

// Removes the mouse hook when one is installed. The gesture state is kept.
void MouseHookStop();

bool IsMouseHookInstalled() noexcept;

// Puts the gesture state back to Idle and stops the click timer; the handlers of WM_WHEELKEY1 and
// WM_WHEELKEY2 call it before sending the key stroke. Does not wait: the hook thread does it next.
void ResetWheelGesture() noexcept;

// What the window-event hook reports. Called on the thread that installed the hook, from its message
// loop; `window` is not owned. An error escaping a handler goes to onError (without one it is
// dropped); nothing unwinds through the system.
struct MinimizeHandlers
{
    std::function<void(HWND window)> onMinimizeStart; // the controller's Proc_Min
    std::function<void(HWND window)> onMinimizeEnd;   // the controller's Proc_MinEnd
    std::function<void(std::exception_ptr error)> onError;
};

// Takes `handlers` (replacing earlier ones) and, when no window-event hook is installed, installs one
// for the minimize-start and minimize-end events of every other process, out of context. Events of this
// process's own windows are never reported. Answers whether the hook is installed afterwards.
bool WinEventHookStart(MinimizeHandlers handlers);

// Removes the window-event hook and drops the handlers.
void WinEventHookStop();

bool IsWinEventHookInstalled() noexcept;

// Types `stroke` into the foreground window: brings that window forward once more and gives it the
// focus, then synthesizes Shift, Ctrl, Alt down as set, the key down and up, and the modifiers up in
// reverse order (procwin/WheelKey.h).
void SendWheelKey(const KeyStroke &stroke);

} // namespace procwin
