// Base of KV2's own windows: one static window procedure binds the C++ object on WM_NCCREATE and
// forwards every message to OnMessage; errors never unwind through the system's code but are parked
// with the application object.
#pragma once

#include <windows.h>

#include <string>

namespace gui
{

class Window
{
  public:
    Window() = default;
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;
    virtual ~Window();

    HWND Handle() const noexcept
    {
        return m_handle;
    }

  protected:
    struct CreateParams
    {
        const wchar_t *className;
        std::u16string caption;
        DWORD style = WS_OVERLAPPEDWINDOW;
        DWORD exStyle = 0;
        RECT place{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT}; // left, top, width, height
        HWND owner = nullptr; // the parent of a WS_CHILD window
        HICON icon = nullptr;
        UINT classStyle = 0;  // CS_ flags of the class, taken when the class is first registered
    };

    // Registers the class on first use and creates the window; raises WinError on failure.
    void Create(const CreateParams &params);

    // Handles a message; the default passes it to DefWindowProcW.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Called after WM_NCDESTROY, when the handle is gone.
    virtual void OnDestroyed()
    {
    }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND m_handle = nullptr;
};

} // namespace gui
