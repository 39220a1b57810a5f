#include "common/win/SystemFonts.h"

#include "common/win/SystemLibrary.h"
#include "common/win/Unique.h"

namespace common::win
{

HFONT CreateSystemFont(SystemFont which, int dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font = which == SystemFont::Menu ? metrics.lfMenuFont : metrics.lfMessageFont;
    // The metrics are in the system's resolution; a window on another monitor has its own.
    if (dpi > 0)
        font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
    return CreateFontIndirectW(&font);
}

int ScreenDpi()
{
    const UniqueDc dc(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc.Dc(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

int MonitorDpi(HMONITOR monitor)
{
    using GetDpiForMonitorFunction = HRESULT(WINAPI *)(HMONITOR, int, UINT *, UINT *);
    // Windows 8.1 on. Before, the library or its export is missing: one resolution then.
    static const SystemLibrary shcore(L"shcore.dll");
    static const auto getDpiForMonitor = shcore.Find<GetDpiForMonitorFunction>("GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
    if (getDpiForMonitor != nullptr && monitor != nullptr &&
        SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiY > 0)
        return static_cast<int>(dpiY);
    return ScreenDpi();
}

int WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI *)(HWND);
    static const auto getDpiForWindow =
        LoadedFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (window == nullptr)
        return ScreenDpi();
    if (getDpiForWindow != nullptr)
    {
        const UINT dpi = getDpiForWindow(window);
        return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
    }
    // Windows 8.1 to 10 1511.
    return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

} // namespace common::win
