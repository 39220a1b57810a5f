// Base of KV2's own windows: one static window procedure binds the C++ object on WM_NCCREATE and
// forwards every message to OnMessage; errors never unwind through the system's code but are parked
// with the application object.
#pragma once

#include "common/Dpi.h"

#include <windows.h>

#include <string>

namespace gui
{

// Sizes `window` (without a menu bar) so that its client area is `width` by `height`, around it the
// frame its styles give at `dpi`.
void SetClientSize(HWND window, int width, int height, int dpi);

// The average character width and the height of `font`, the units dialogs are laid out in (a dialog
// unit is a quarter of the width and an eighth of the height).
SIZE DialogUnits(HFONT font);

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
    // The resolution of the monitor the window is on, as of its creation or its last WM_DPICHANGED.
    int Dpi() const noexcept
    {
        return m_dpi;
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

    // Sizes the window so that its client area is `width` by `height`, around it the frame as the system
    // draws it now (at the window's resolution).
    void SetClientSize(int width, int height);
    // `designPixels` (at 96 DPI) in the window's own pixels.
    int Scale(int designPixels) const noexcept
    {
        return common::ScaleForDpi(designPixels, m_dpi);
    }
    // The window went to a monitor of another resolution (WM_DPICHANGED, as the default OnMessage
    // handles it: Dpi() is the new one and the system's suggested rectangle is taken): what the system
    // does not scale itself (layout, fonts, pictures) is made again here.
    virtual void OnDpiChanged()
    {
    }
    // Called after WM_NCDESTROY, when the handle is gone.
    virtual void OnDestroyed()
    {
    }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND m_handle = nullptr;
    int m_dpi = common::kDesignDpi;
};

} // namespace gui
