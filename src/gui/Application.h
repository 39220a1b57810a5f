// The application object: the program's title, the message loop, and the one place where errors
// that escape window procedures end up.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace gui
{

class Application
{
  public:
    using ExceptionHandler = std::function<void(std::exception_ptr)>;

    static Application &Instance();

    void SetTitle(std::u16string title)
    {
        m_title = std::move(title);
    }
    const std::u16string &Title() const noexcept
    {
        return m_title;
    }

    // Receives every error that escaped a window procedure. Without a handler such errors are
    // dropped: nothing unwinds through the system's code and nothing is shown.
    void SetExceptionHandler(ExceptionHandler handler)
    {
        m_exceptionHandler = std::move(handler);
    }

    // Called by window procedures (never unwinds): keeps the error until the message loop can pass it
    // to the handler.
    void ParkException(std::exception_ptr error) noexcept;

    // Runs the message loop until Terminate or the main window's destruction posts WM_QUIT. Answers the
    // quit code.
    int Run();

    // Ends the message loop.
    void Terminate(int exitCode = 0);

  private:
    Application() = default;
    void DeliverParkedException();

    std::u16string m_title;
    ExceptionHandler m_exceptionHandler;
    std::exception_ptr m_parked;
};

} // namespace gui
