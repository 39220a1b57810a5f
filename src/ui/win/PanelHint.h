// The hint window of the icon window: shows a new title of the target above the panel for a moment.
#pragma once

#include "common/win/SystemFonts.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "gui/Window.h"
#include "ui/PanelGeometry.h"

#include <windows.h>

#include <string>

namespace ui
{

// The short-lived window above the panel that shows a new title of the target.
class TPanelHintWindow : public gui::Window
{
  public:
    explicit TPanelHintWindow(HWND owner)
    {
        Create({.className = L"TPanelHint",
                .caption = u"",
                .style = WS_POPUP | WS_BORDER,
                .exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                .place = {0, 0, 0, 0},
                .owner = owner});
    }

    // The text's font at the panel's resolution (the hint shows beside it).
    void UseDpi(int dpi)
    {
        if (m_font && dpi == m_fontDpi)
            return;
        m_fontDpi = dpi;
        m_font.Reset(common::win::CreateSystemFont(common::win::SystemFont::Message, dpi));
    }

    // The text's extent from the empty rectangle; line breaks give several lines.
    SIZE Measure(const std::u16string &text) const
    {
        const common::win::UniqueDc dc(Handle());
        const HGDIOBJ old = SelectObject(dc.Dc(), m_font.Get());
        RECT bounds{0, 0, 0, 0};
        DrawTextW(dc.Dc(), common::win::W(text), -1, &bounds, DT_CALCRECT | DT_NOPREFIX);
        SelectObject(dc.Dc(), old);
        return {bounds.right - bounds.left, bounds.bottom - bounds.top};
    }

    void Activate(const Rect &place, const std::u16string &text)
    {
        m_text = text;
        SetWindowPos(Handle(), HWND_TOPMOST, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(Handle(), nullptr, TRUE);
    }

    void Release()
    {
        ShowWindow(Handle(), SW_HIDE);
    }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAINT)
        {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(Handle(), &paint);
            RECT area{};
            GetClientRect(Handle(), &area);
            FillRect(dc, &area, GetSysColorBrush(COLOR_INFOBK));
            const HGDIOBJ old = SelectObject(dc, m_font.Get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            area.left += 2;
            DrawTextW(dc, common::win::W(m_text), -1, &area, DT_NOPREFIX);
            SelectObject(dc, old);
            EndPaint(Handle(), &paint);
            return 0;
        }
        if (message == WM_MOUSEACTIVATE)
            return MA_NOACTIVATE;
        return Window::OnMessage(message, wParam, lParam);
    }

  private:
    int m_fontDpi = 0;
    common::win::UniqueGdiObject m_font;
    std::u16string m_text;
};

} // namespace ui
