// Window events of one process, delivered out of context to the message loop of the thread that made
// the object: a wait sleeps until one comes instead of polling, and KV2 answers a change of the target
// when it happens instead of on a tick. An object is made and destroyed on one thread.
//
// The system calls the hook while the thread retrieves messages (PeekMessageW, GetMessageW). Under Wine
// an event is queued to the thread as a sent message (QS_SENDMESSAGE), so a thread waiting in
// MsgWaitForMultipleObjectsEx(QS_ALLINPUT) wakes for it and gui::PumpUntil asks its condition again
// right after the call, with nothing posted. Under Wine other programs' windows raise EVENT_OBJECT_CREATE
// only (no SHOW, no DESTROY, no NAMECHANGE, no REORDER, unless the program calls NotifyWinEvent itself),
// and the creation is raised before the window is shown, arriving a few milliseconds before or after:
// a wait for a window to appear or to go, and the upkeep of what KV2 set on a window, still need a slow
// look beside the events.
#pragma once

#include "common/win/Unique.h"

#include <windows.h>

#include <array>
#include <functional>
#include <initializer_list>

namespace procwin
{

// The hooks of one process over up to three ranges of events (each range one hook, so that events in
// between, such as the many location changes, never reach this program). Events of other processes do
// not reach the derived class's OnEvent.
class ProcessEventHooks
{
  public:
    struct Range
    {
        DWORD first;
        DWORD last;
    };

    ProcessEventHooks(const ProcessEventHooks &) = delete;
    ProcessEventHooks &operator=(const ProcessEventHooks &) = delete;

    // Every range was accepted by the system.
    bool Hooked() const noexcept;

  protected:
    // processId 0: nothing. Events are delivered only while this thread retrieves messages, never from
    // within the constructor or destructor.
    ProcessEventHooks(DWORD processId, std::initializer_list<Range> ranges) noexcept;
    ~ProcessEventHooks(); // unhooks; events still queued for the hooks are dropped

    DWORD ProcessId() const noexcept
    {
        return m_processId;
    }

    virtual void OnEvent(DWORD event, HWND window, LONG objectId, LONG childId) noexcept = 0;

  private:
    static void CALLBACK Deliver(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId, LONG childId,
                                 DWORD threadId, DWORD time) noexcept;

    DWORD m_processId;
    std::array<common::win::UniqueWinEventHook, 3> m_hooks{};
    bool m_hooked = false;
    ProcessEventHooks *m_next = nullptr; // the thread's other objects (the callback carries no context)
};

// The creation, showing and destruction of the process's top-level windows, for a wait.
class ProcessWindowEvents final : private ProcessEventHooks
{
  public:
    // EVENT_OBJECT_CREATE, EVENT_OBJECT_DESTROY, EVENT_OBJECT_SHOW; OBJID_WINDOW, CHILDID_SELF only.
    // Events of child windows do not count; an event of a window that has gone by the time it arrives
    // (a destruction, typically) counts, since it cannot be told apart.
    explicit ProcessWindowEvents(DWORD processId) noexcept;

    using ProcessEventHooks::Hooked;
    // True when an event has come since the last call; resets.
    bool TakeEvent() noexcept;

  private:
    void OnEvent(DWORD event, HWND window, LONG objectId, LONG childId) noexcept override;

    bool m_event = false;
};

// Changes of one top-level window that may undo what KV2 set on it: its caption (EVENT_OBJECT_NAMECHANGE),
// its place in the Z order, the topmost band included (EVENT_OBJECT_REORDER, which names the container
// whose children moved, so any of the process counts), and its coming to the foreground
// (EVENT_SYSTEM_FOREGROUND), and its showing and hiding (EVENT_OBJECT_SHOW, EVENT_OBJECT_HIDE: the shell
// gives a window that shows a taskbar button). A change of translucency raises no event on any system.
class WindowChangeEvents final : private ProcessEventHooks
{
  public:
    // `changed` runs on this thread while it retrieves messages; window null: nothing.
    WindowChangeEvents(HWND window, std::function<void()> changed);

    using ProcessEventHooks::Hooked;
    HWND Window() const noexcept
    {
        return m_window;
    }

  private:
    void OnEvent(DWORD event, HWND window, LONG objectId, LONG childId) noexcept override;

    HWND m_window;
    std::function<void()> m_changed;
};

} // namespace procwin
