#include "common/win/SystemFonts.h"

#include "common/win/Unique.h"

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
    const UniqueDc dc(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc.Dc(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

} // namespace common::win
