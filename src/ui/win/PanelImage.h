// The icon window's picture: fills the inner panel and shows the waiting picture or the target's icon
// stretched to it; its clicks, its menu and the mouse going over it are the panel's to handle.
#pragma once

#include "gui/Window.h"

#include <windows.h>
#include <windowsx.h>

#include <utility>

namespace ui
{

// Asks the system for a WM_MOUSELEAVE once the mouse leaves `window`.
inline void TrackMouseLeave(HWND window)
{
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    TrackMouseEvent(&track);
}

// What the picture asks of the panel around it.
class PanelPictureEvents
{
  public:
    virtual void ImageClick(bool doubleClick) = 0;
    virtual void ImageMiddleClick() = 0;
    virtual void ImageMenu(POINT screenPoint) = 0;
    virtual void MouseOver() = 0;
    virtual void MouseAway() = 0;
    // The picture to show (not owned); null shows the face alone.
    virtual HICON ShownIcon() = 0;

  protected:
    ~PanelPictureEvents() = default;
};

// The picture: fills the inner panel, shows the waiting picture or the target's icon stretched to it.
class TPanelImage : public gui::Window
{
  public:
    TPanelImage(HWND panel, PanelPictureEvents &events) : m_form(events)
    {
        Create({.className = L"TPanelImage",
                .caption = u"",
                .style = WS_CHILD | WS_VISIBLE,
                .place = {0, 0, 0, 0},
                .owner = panel,
                .classStyle = CS_DBLCLKS});
    }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
            m_pressed = true;
            return 0;
        case WM_LBUTTONUP:
            if (std::exchange(m_pressed, false))
                m_form.ImageClick(false);
            return 0;
        case WM_LBUTTONDBLCLK:
            m_pressed = false;
            m_form.ImageClick(true);
            return 0;
        case WM_MBUTTONDOWN:
            m_form.ImageMiddleClick();
            return 0;
        case WM_RBUTTONUP: {
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(Handle(), &point);
            m_form.ImageMenu(point);
            return 0;
        }
        case WM_MOUSEMOVE:
            m_form.MouseOver();
            TrackMouseLeave(Handle());
            return 0;
        case WM_MOUSELEAVE:
            m_form.MouseAway();
            return 0;
        default:
            return Window::OnMessage(message, wParam, lParam);
        }
    }

  private:
    void Paint()
    {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        RECT area{};
        GetClientRect(Handle(), &area);
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &area, BDR_RAISEDINNER, BF_RECT);
        const HICON icon = m_form.ShownIcon();
        if (icon != nullptr)
            DrawIconEx(dc, 1, 1, icon, area.right - 2, area.bottom - 2, 0, nullptr, DI_NORMAL);
        EndPaint(Handle(), &paint);
    }

    PanelPictureEvents &m_form;
    bool m_pressed = false;
};

} // namespace ui
