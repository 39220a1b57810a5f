#include "procwin/win/WindowEvents.h"

namespace procwin
{

namespace
{

// The objects of this thread: the hook callback runs on the thread that installed the hook.
thread_local ProcessWindowEvents *t_first = nullptr;

} // namespace

ProcessWindowEvents::ProcessWindowEvents(DWORD processId) noexcept : m_processId(processId)
{
    if (processId == 0)
        return;
    // The system filters by process (Windows and Wine both honour idProcess); the callback checks again.
    m_hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, OnEvent, processId, 0,
                             WINEVENT_OUTOFCONTEXT);
    static_assert(EVENT_OBJECT_CREATE + 1 == EVENT_OBJECT_DESTROY &&
                      EVENT_OBJECT_DESTROY + 1 == EVENT_OBJECT_SHOW,
                  "one range covers the three events");
    if (m_hook == nullptr)
        return;
    m_next = t_first;
    t_first = this;
}

ProcessWindowEvents::~ProcessWindowEvents()
{
    if (m_hook == nullptr)
        return;
    UnhookWinEvent(m_hook);
    for (ProcessWindowEvents **link = &t_first; *link != nullptr; link = &(*link)->m_next)
    {
        if (*link == this)
        {
            *link = m_next;
            break;
        }
    }
}

bool ProcessWindowEvents::Hooked() const noexcept
{
    return m_hook != nullptr;
}

bool ProcessWindowEvents::TakeEvent() noexcept
{
    const bool event = m_event;
    m_event = false;
    return event;
}

void CALLBACK ProcessWindowEvents::OnEvent(HWINEVENTHOOK hook, DWORD, HWND window, LONG objectId,
                                           LONG childId, DWORD, DWORD) noexcept
{
    if (objectId != OBJID_WINDOW || childId != CHILDID_SELF || window == nullptr)
        return;
    // A hook removed with events still queued finds no object.
    for (ProcessWindowEvents *events = t_first; events != nullptr; events = events->m_next)
    {
        if (events->m_hook == hook)
        {
            events->OnWindowEvent(window);
            return;
        }
    }
}

void ProcessWindowEvents::OnWindowEvent(HWND window) noexcept
{
    DWORD processId = 0;
    if (GetWindowThreadProcessId(window, &processId) == 0)
    {
        // Gone already (out of context, a destruction always arrives late): the system's filter let it
        // through, and a wake too many only makes the waiter ask again.
        m_event = true;
        return;
    }
    if (processId == m_processId && GetAncestor(window, GA_PARENT) == GetDesktopWindow())
        m_event = true;
}

} // namespace procwin
