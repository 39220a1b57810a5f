#include "gui/Application.h"

#include <windows.h>

#include <utility>

namespace gui
{

Application &Application::Instance()
{
    static Application application;
    return application;
}

void Application::ParkException(std::exception_ptr error) noexcept
{
    if (!m_parked)
        m_parked = std::move(error);
}

void Application::DeliverParkedException()
{
    std::exception_ptr error = std::exchange(m_parked, nullptr);
    if (error && m_exceptionHandler)
    {
        try
        {
            m_exceptionHandler(error);
        }
        catch (...)
        {
            // The handler is the last stop; an error inside it must not end the program.
        }
    }
}

int Application::Run()
{
    MSG message;
    while (true)
    {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
        DeliverParkedException();
    }
    DeliverParkedException();
    return static_cast<int>(message.wParam);
}

void Application::Terminate(int exitCode)
{
    PostQuitMessage(exitCode);
}

} // namespace gui
