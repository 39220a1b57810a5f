// The pieces of a modal window: its owner disabled while it is shown, and a message loop that runs
// until the window has its answer.
#pragma once

#include <windows.h>

#include <functional>

namespace gui
{

// Disables the owner for the life of the object (when it was enabled), as a modal dialog does. The
// owner is enabled again before the modal window goes, so that activation returns to it.
class DisabledOwner
{
  public:
    explicit DisabledOwner(HWND owner) noexcept
        : m_owner(owner != nullptr && IsWindowEnabled(owner) ? owner : nullptr)
    {
        if (m_owner != nullptr)
            EnableWindow(m_owner, FALSE);
    }
    ~DisabledOwner()
    {
        if (m_owner != nullptr)
            EnableWindow(m_owner, TRUE);
    }
    DisabledOwner(const DisabledOwner &) = delete;
    DisabledOwner &operator=(const DisabledOwner &) = delete;

  private:
    HWND m_owner; // not owned
};

// Dispatches this thread's messages until `finished()` holds. Answers false when the loop ended
// because the program is quitting; the WM_QUIT is then posted again for the outer loop.
bool RunMessagesUntil(const std::function<bool()> &finished);

} // namespace gui
