// The one nested message loop: every wait of the user-interface thread runs this thread's messages
// through it, so that the program keeps answering while it waits.
#pragma once

#include <windows.h>

#include <functional>
#include <span>

namespace gui
{

struct PumpOptions
{
    // Milliseconds from the start of the wait until it ends by itself; INFINITE: no deadline. The
    // messages already waiting run once even when it is 0.
    DWORD timeout = INFINITE;
    // The condition is asked again at least this often (milliseconds) while no message arrives: for a
    // condition that no message announces, such as another program's window appearing.
    DWORD pollInterval = INFINITE;
    // True: the condition is asked after every message. False: once all waiting messages have run, for
    // a condition that is costly to ask.
    bool checkEachMessage = true;
    // True: a WM_QUIT ends the wait. False: the wait goes on to its own end. Either way the WM_QUIT is
    // posted again when the wait is over, for the outer loop.
    bool quitEnds = true;
    // Objects whose signalling ends the wait (not owned; fewer than MAXIMUM_WAIT_OBJECTS).
    std::span<const HANDLE> handles = {};
    // Sees each message before it is translated and dispatched; answers true when it has handled it
    // (IsDialogMessageW, for instance).
    std::function<bool(MSG &message)> preTranslate = {};
};

enum class PumpEnd
{
    Condition, // the condition held
    Deadline,  // the timeout passed
    Signalled, // one of the handles was signalled
    Quit,      // a WM_QUIT arrived (quitEnds); it has been posted again
    Failed,    // the handles could not be waited on
};

// Dispatches this thread's messages until `done` holds (an empty function never does), the timeout
// passes, a handle is signalled or, with quitEnds, a WM_QUIT arrives. Sleeps while nothing happens. The
// condition is asked first, before any message runs. Errors of window procedures stay parked with
// gui::Application for the outer loop.
PumpEnd PumpUntil(const std::function<bool()> &done, const PumpOptions &options = {});

// Posts `message` with `wParam` to `window` once `object` is signalled, from the user-interface
// thread's own loops (Application::Run and PumpUntil wait on it beside the messages): no thread of
// the system waits for it. The object is watched once; a loop of the system (a menu, a message box)
// does not wait on it. Answers false when no more objects can be watched. The object must stay open
// until StopWatching.
bool PostWhenSignalled(HANDLE object, HWND window, UINT message, WPARAM wParam);
// Watches the object no more; nothing is posted for it after this returns.
void StopWatching(HANDLE object) noexcept;

// Sleeps until a message comes (even one an earlier look at the queue has seen), one of `handles` is
// signalled or `timeout` (milliseconds) passes, as MsgWaitForMultipleObjectsEx answers for `handles`
// alone; a watched object that is signalled meanwhile posts its message, which wakes the caller.
DWORD WaitForInput(std::span<const HANDLE> handles, DWORD timeout);

// Wakes a PumpUntil of the window's thread so that it asks its condition again: for an answer that
// came in a message sent from another thread, which runs without any message being dispatched.
void WakePump(HWND window);

} // namespace gui
