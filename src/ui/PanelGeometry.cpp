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

PanelGeometry PanelGeometryFor(int sizeIndex) noexcept
{
    const int a = PanelIconSize(sizeIndex);
    return {a + a / 8, a / 16, a};
}

HintRect PanelHintRect(std::int32_t panelLeft, std::int32_t panelTop, std::int32_t textWidth,
                       std::int32_t textHeight) noexcept
{
    HintRect rect{0, 0, textWidth, textHeight};
    const std::int32_t dx = panelLeft;
    const std::int32_t dy = panelTop - rect.bottom;
    rect.left += dx;
    rect.right += dx + 6;
    rect.top += dy;
    rect.bottom += dy + 2;
    return rect;
}

} // namespace ui
