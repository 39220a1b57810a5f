// Window events of the top-level windows of one process, delivered out of context to the message loop
// of the thread that made the object: a wait sleeps until one comes instead of polling. An object is made
// and destroyed on one thread.
//
// The system calls the hook while the thread retrieves messages (PeekMessageW, GetMessageW). Under Wine
// an event is queued to the thread as a sent message (QS_SENDMESSAGE), so a thread waiting in
// MsgWaitForMultipleObjectsEx(QS_ALLINPUT) wakes for it and gui::PumpUntil asks its condition again
// right after the call, with nothing posted. Under Wine other programs' windows raise EVENT_OBJECT_CREATE
// only (no SHOW, no DESTROY, unless the program calls NotifyWinEvent itself), and the event is raised
// before the window is shown, arriving a few milliseconds before or after: a wait for a window to appear
// or to go still needs a slow poll beside the events.
#pragma once

#include <windows.h>

namespace procwin
{

class ProcessWindowEvents
{
  public:
    // Subscribes to the creation, showing and destruction of the process's windows (EVENT_OBJECT_CREATE,
    // EVENT_OBJECT_DESTROY, EVENT_OBJECT_SHOW; OBJID_WINDOW, CHILDID_SELF only). processId 0: nothing.
    // Events of child windows and of other processes' windows do not count; an event of a window that
    // has gone by the time it arrives (a destruction, typically) counts, since it cannot be told apart.
    explicit ProcessWindowEvents(DWORD processId) noexcept;
    ~ProcessWindowEvents(); // unhooks; events still queued for the hook are dropped
    ProcessWindowEvents(const ProcessWindowEvents &) = delete;
    ProcessWindowEvents &operator=(const ProcessWindowEvents &) = delete;

    // The system accepted the subscription.
    bool Hooked() const noexcept;
    // True when an event has come since the last call; resets.
    bool TakeEvent() noexcept;

  private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                                 DWORD threadId, DWORD time) noexcept;
    void OnWindowEvent(HWND window) noexcept;

    DWORD m_processId;
    HWINEVENTHOOK m_hook = nullptr;
    bool m_event = false;
    ProcessWindowEvents *m_next = nullptr; // the thread's other objects (the callback carries no context)
};

} // namespace procwin
