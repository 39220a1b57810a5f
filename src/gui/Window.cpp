#include "gui/Window.h"

#include "common/win/SystemFonts.h"
#include "common/win/SystemLibrary.h"
#include "common/win/Unique.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "gui/DarkMode.h"
#include "gui/Application.h"

#include <string>

namespace gui
{

Window::~Window()
{
    if (m_handle != nullptr)
    {
        SetWindowLongPtrW(m_handle, GWLP_USERDATA, 0);
        DestroyWindow(m_handle);
    }
}

void Window::Create(const CreateParams &params)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // The system keeps the program's classes: a class it knows is registered already.
    WNDCLASSEXW known{};
    known.cbSize = sizeof(known);
    if (!GetClassInfoExW(instance, params.className, &known))
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = params.classStyle;
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hIcon = params.icon;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = params.className;
        if (RegisterClassExW(&windowClass) == 0)
            throw common::win::WinError("RegisterClassExW");
    }
    const HWND window = CreateWindowExW(params.exStyle, params.className, common::win::W(params.caption),
                                        params.style, params.place.left, params.place.top, params.place.right,
                                        params.place.bottom, params.owner, nullptr, instance, this);
    if (window == nullptr)
        throw common::win::WinError("CreateWindowExW");
    m_dpi = common::win::WindowDpi(window);
}

void SetClientSize(HWND window, int width, int height, int dpi)
{
    using AdjustForDpi = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi =
        common::win::LoadedFunction<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT frame{0, 0, width, height};
    const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    // Before Windows 10 1607 one resolution serves every monitor: the system's frame is the one.
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    SIZE outer{frame.right - frame.left, frame.bottom - frame.top};
    SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A frame drawn otherwise than the system's metrics say (a theme, a system that draws every frame at
    // one resolution) is measured and made up for once.
    RECT client{};
    GetClientRect(window, &client);
    if (client.right != width || client.bottom != height)
        SetWindowPos(window, nullptr, 0, 0, outer.cx + width - client.right,
                     outer.cy + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The average width of the 52 Latin letters and the text height.
SIZE DialogUnits(HFONT font)
{
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const common::win::UniqueDc dc(nullptr);
    const HGDIOBJ old = SelectObject(dc.Dc(), font);
    SIZE extent{};
    GetTextExtentPoint32W(dc.Dc(), kLetters, 52, &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Dc(), &metrics);
    SelectObject(dc.Dc(), old);
    return {extent.cx / 52, metrics.tmHeight};
}

void Window::SetClientSize(int width, int height)
{
    gui::SetClientSize(m_handle, width, height, m_dpi);
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Shown in the theme in force; coloured dark while it is dark.
    if (message == WM_SHOWWINDOW && wParam != FALSE)
        ApplyTheme(m_handle);
    if (LRESULT colours = 0; DarkColors(m_handle, message, wParam, colours))
        return colours;
    if (message == WM_DPICHANGED && lParam != 0)
    {
        // The system's rectangle keeps the window where the user put it, at the size it would have had.
        m_dpi = LOWORD(wParam);
        const auto &suggested = *reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_handle, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        OnDpiChanged();
        return 0;
    }
    return DefWindowProcW(m_handle, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto *self = reinterpret_cast<Window *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE)
    {
        self = static_cast<Window *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_handle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    try
    {
        result = self->OnMessage(message, wParam, lParam);
    }
    catch (...)
    {
        Application::Instance().ParkException(std::current_exception());
    }
    if (message == WM_NCDESTROY)
    {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_handle = nullptr;
        self->OnDestroyed();
    }
    return result;
}

} // namespace gui
