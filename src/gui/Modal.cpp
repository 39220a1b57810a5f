#include "gui/Modal.h"

#include "gui/Application.h"
#include "gui/MessagePump.h"

#include <exception>

namespace gui
{

int ModalForm::RunModal(HWND owner, HWND focus)
{
    if (m_shown)
        return kResultCancel;
    {
        const DisabledOwner disabled(owner);
        m_modalResult = 0;
        m_focus = focus;
        m_shown = true;
        try
        {
            FormShow();
        }
        catch (...)
        {
            Application::Instance().ParkException(std::current_exception());
        }
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
        SetFocus(m_focus);
        if (PumpUntil([this] { return m_modalResult != 0; }) != PumpEnd::Condition)
            m_modalResult = kResultCancel;
    }
    ShowWindow(Handle(), SW_HIDE);
    m_shown = false;
    return m_modalResult;
}

void ModalForm::EndModal(int result)
{
    // Messages may run while the close query waits; a second close meanwhile is the same close.
    if (!m_shown || m_closing || m_modalResult != 0)
        return;
    m_closing = true;
    FormCloseQuery();
    m_closing = false;
    m_modalResult = result;
    // The close may have come in a message sent from another thread.
    WakePump(Handle());
}

LRESULT ModalForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_ACTIVATE:
        // Clicking elsewhere takes the focus; coming back to the form gives it to the main control again.
        if (LOWORD(wParam) != WA_INACTIVE && m_focus != nullptr)
        {
            SetFocus(m_focus);
            return 0;
        }
        break;
    case WM_CLOSE:
        EndModal(kResultCancel);
        return 0;
    default:
        break;
    }
    return Window::OnMessage(message, wParam, lParam);
}

} // namespace gui
