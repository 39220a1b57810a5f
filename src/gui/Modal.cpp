#include "gui/Modal.h"

#include "gui/Application.h"

#include <exception>

namespace gui
{

bool RunMessagesUntil(const std::function<bool()> &finished)
{
    MSG message;
    while (!finished())
    {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
        {
            PostQuitMessage(static_cast<int>(message.wParam)); // leave the quit to the outer loop
            return false;
        }
        if (got == -1)
            return false;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

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
        if (!RunMessagesUntil([this] { return m_modalResult != 0; }))
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
    // Wakes the modal loop when the close came in a message sent from another thread, which
    // GetMessageW handles without returning.
    PostMessageW(Handle(), WM_NULL, 0, 0);
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
