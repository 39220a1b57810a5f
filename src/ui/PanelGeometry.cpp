#include "ui/PanelGeometry.h"

namespace ui
{

int PanelIconSize(int sizeIndex) noexcept
{
    constexpr int kSizes[kPanelSizeCount] = {32, 48, 64, 96, 128, 192, 256};
    if (sizeIndex < 0 || sizeIndex >= kPanelSizeCount)
        return kSizes[kDefaultPanelSizeIndex];
    return kSizes[sizeIndex];
}

PanelGeometry PanelGeometryFor(int sizeIndex, int dpi) noexcept
{
    const int a = common::ScaleForDpi(PanelIconSize(sizeIndex), dpi);
    return {a + a / 8, a / 16, a};
}

Rect PanelHintRect(std::int32_t panelLeft, std::int32_t panelTop, std::int32_t textWidth, std::int32_t textHeight,
                   int dpi) noexcept
{
    Rect rect{0, 0, textWidth, textHeight};
    const std::int32_t dx = panelLeft;
    const std::int32_t dy = panelTop - rect.bottom;
    rect.left += dx;
    rect.right += dx + common::ScaleForDpi(6, dpi);
    rect.top += dy;
    rect.bottom += dy + common::ScaleForDpi(2, dpi);
    return rect;
}

Rect SnapToArea(const Rect &window, const Rect &area, std::int32_t distance) noexcept
{
    const auto near = [distance](std::int32_t a, std::int32_t b) {
        return a - b <= distance && b - a <= distance;
    };
    const std::int32_t width = window.right - window.left;
    const std::int32_t height = window.bottom - window.top;
    Rect snapped = window;
    if (near(window.left, area.left))
        snapped.left = area.left;
    else if (near(window.right, area.right))
        snapped.left = area.right - width;
    if (near(window.top, area.top))
        snapped.top = area.top;
    else if (near(window.bottom, area.bottom))
        snapped.top = area.bottom - height;
    snapped.right = snapped.left + width;
    snapped.bottom = snapped.top + height;
    return snapped;
}

} // namespace ui
