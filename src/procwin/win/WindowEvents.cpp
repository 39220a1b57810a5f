#include "procwin/win/WindowEvents.h"

#include "gui/Application.h"
#include "procwin/win/WindowInfo.h"

#include <exception>
#include <utility>

namespace procwin
{

namespace
{

// The objects of this thread: the hook callback runs on the thread that installed the hook.
thread_local ProcessEventHooks *t_first = nullptr;

bool IsTopLevel(HWND window)
{
    // No parent but the desktop: the root of its own chain of parents.
    return GetAncestor(window, GA_ROOT) == window;
}

} // namespace

ProcessEventHooks::ProcessEventHooks(DWORD processId, std::initializer_list<Range> ranges) noexcept
    : m_processId(processId)
{
    if (processId == 0 || ranges.size() == 0 || ranges.size() > m_hooks.size())
        return;
    // The system filters by process (Windows and Wine both honour idProcess); Deliver checks again.
    m_hooked = true;
    auto hook = m_hooks.begin();
    for (const Range &range : ranges)
    {
        hook->Reset(SetWinEventHook(range.first, range.last, nullptr, Deliver, processId, 0, WINEVENT_OUTOFCONTEXT));
        m_hooked = m_hooked && *hook;
        ++hook;
    }
    m_next = t_first;
    t_first = this;
}

// The hooks go with the members; an event still queued for them then finds no object.
ProcessEventHooks::~ProcessEventHooks()
{
    for (ProcessEventHooks **link = &t_first; *link != nullptr; link = &(*link)->m_next)
    {
        if (*link == this)
        {
            *link = m_next;
            break;
        }
    }
}

bool ProcessEventHooks::Hooked() const noexcept
{
    return m_hooked;
}

void CALLBACK ProcessEventHooks::Deliver(HWINEVENTHOOK hook, DWORD event, HWND window, LONG objectId,
                                         LONG childId, DWORD, DWORD) noexcept
{
    // A hook removed with events still queued finds no object.
    for (ProcessEventHooks *hooks = t_first; hooks != nullptr; hooks = hooks->m_next)
    {
        for (const auto &own : hooks->m_hooks)
        {
            if (own.Get() == hook && own)
            {
                hooks->OnEvent(event, window, objectId, childId);
                return;
            }
        }
    }
}

ProcessWindowEvents::ProcessWindowEvents(DWORD processId) noexcept
    : ProcessEventHooks(processId, {{EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW}})
{
    static_assert(EVENT_OBJECT_CREATE + 1 == EVENT_OBJECT_DESTROY && EVENT_OBJECT_DESTROY + 1 == EVENT_OBJECT_SHOW,
                  "one range covers the three events");
}

bool ProcessWindowEvents::TakeEvent() noexcept
{
    const bool event = m_event;
    m_event = false;
    return event;
}

void ProcessWindowEvents::OnEvent(DWORD, HWND window, LONG objectId, LONG childId) noexcept
{
    if (objectId != OBJID_WINDOW || childId != CHILDID_SELF || window == nullptr)
        return;
    const DWORD processId = ProcessIdOf(window);
    // Gone already (out of context, a destruction always arrives late): the system's filter let it
    // through, and a wake too many only makes the waiter ask again.
    if (processId == 0 || (processId == ProcessId() && IsTopLevel(window)))
        m_event = true;
}

WindowChangeEvents::WindowChangeEvents(HWND window, std::function<void()> changed)
    : ProcessEventHooks(ProcessIdOf(window), {{EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
                                              {EVENT_OBJECT_SHOW, EVENT_OBJECT_REORDER},
                                              {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE}}),
      m_window(window), m_changed(std::move(changed))
{
}

void WindowChangeEvents::OnEvent(DWORD event, HWND window, LONG objectId, LONG childId) noexcept
{
    // The system's process filter has passed a reorder already; the others must name the window itself.
    if (event != EVENT_OBJECT_REORDER &&
        (window != m_window || objectId != OBJID_WINDOW || childId != CHILDID_SELF))
        return;
    if (!m_changed)
        return;
    try
    {
        m_changed();
    }
    catch (...)
    {
        gui::Application::Instance().ParkException(std::current_exception());
    }
}

} // namespace procwin
