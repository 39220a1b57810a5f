#include "common/win/SystemFonts.h"

namespace common::win
{

HFONT CreateSystemFont(SystemFont which)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return CreateFontIndirectW(which == SystemFont::Menu ? &metrics.lfMenuFont : &metrics.lfMessageFont);
}

int ScreenDpi()
{
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kDesignDpi;
}

} // namespace common::win
