// The pieces of a modal window: its owner disabled while it is shown, and a message loop that runs
// until the window has its answer.
#pragma once

#include "gui/Window.h"

#include <windows.h>

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

// A form created once and shown modally again and again. Closing it (the close box, WM_CLOSE) only
// ends the modal loop, with kResultCancel; coming back to it gives the focus to its main control again.
class ModalForm : public Window
{
  public:
    static constexpr int kResultOK = IDOK;         // 1
    static constexpr int kResultCancel = IDCANCEL; // 2

  protected:
    bool Shown() const noexcept
    {
        return m_shown;
    }

    // Runs FormShow, shows the form with `owner` (may be null, not owned) disabled, gives `focus` the
    // keyboard focus and dispatches this thread's messages until EndModal; then hides the form. No
    // IsDialogMessageW: Tab, Enter and Escape reach the form's own key handling. Answers EndModal's
    // result; kResultCancel for a WM_QUIT (posted again for the outer loop) and for a call while the
    // form is already shown. An exception of FormShow is parked with gui::Application.
    int RunModal(HWND owner, HWND focus);

    // Runs FormCloseQuery once and ends the modal loop with `result`. Ignored while the form is not
    // shown, already ending, or still in its close query (which may let messages run).
    void EndModal(int result);

    // Prepares the controls before each showing.
    virtual void FormShow()
    {
    }
    // Runs when the modal loop is about to end.
    virtual void FormCloseQuery()
    {
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    HWND m_focus = nullptr; // not owned: a child of the form
    bool m_shown = false;
    bool m_closing = false;
    int m_modalResult = 0;
};

} // namespace gui
