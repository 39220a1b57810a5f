#include "gui/Application.h"

#include "gui/MessagePump.h"

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
    // Sleeps on the messages and on the objects watched with PostWhenSignalled.
    MSG message{};
    for (;;)
    {
        WaitForInput({}, INFINITE);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
            {
                DeliverParkedException();
                return static_cast<int>(message.wParam);
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
            DeliverParkedException();
        }
    }
}

void Application::Terminate(int exitCode)
{
    PostQuitMessage(exitCode);
}

} // namespace gui
