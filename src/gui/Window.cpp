#include "gui/Window.h"

#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "gui/Application.h"

#include <set>
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
    static std::set<std::u16string> registered;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::u16string className = common::win::U(params.className);
    if (!registered.contains(className))
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
        registered.insert(className);
    }
    const HWND window = CreateWindowExW(params.exStyle, params.className, common::win::W(params.caption),
                                        params.style, params.place.left, params.place.top, params.place.right,
                                        params.place.bottom, params.owner, nullptr, instance, this);
    if (window == nullptr)
        throw common::win::WinError("CreateWindowExW");
}

LRESULT Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
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
