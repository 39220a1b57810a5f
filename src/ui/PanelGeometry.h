// The icon panel's geometry: the seven icon sizes, the square form around the icon, and where the hint
// window goes.
#pragma once

#include "common/Dpi.h"
#include "procwin/ScreenGeometry.h"

#include <cstdint>

namespace ui
{

using procwin::Rect;

constexpr int kPanelSizeCount = 7;
// The size index an unknown stored value falls back to (128 pixels).
constexpr int kDefaultPanelSizeIndex = 4;

// 32, 48, 64, 96, 128, 192 or 256 pixels (at 96 DPI) for index 0 to 6; 128 for any other index.
int PanelIconSize(int sizeIndex) noexcept;

struct PanelGeometry
{
    int formSide;    // the square form: a + a/8
    int panelOffset; // the inner panel's left and top within the form: a/16
    int panelSide;   // the inner panel, a by a
};

// The panel at the resolution of the monitor it is on: the icon size is scaled, the frame follows it.
PanelGeometry PanelGeometryFor(int sizeIndex, int dpi) noexcept;

// Where the hint window goes for text measured as `textWidth` by `textHeight` pixels (from the empty
// rectangle): its bottom edge on the panel's top edge and its left edge on the panel's left edge,
// then 6 pixels wider and 2 pixels taller (at 96 DPI; scaled to `dpi`).
Rect PanelHintRect(std::int32_t panelLeft, std::int32_t panelTop, std::int32_t textWidth, std::int32_t textHeight,
                   int dpi) noexcept;

// A window rectangle being dragged, pulled onto the edges of `area` (the work area) that lie within
// `distance` pixels of its own edges; its size is kept. Left and top win over right and bottom.
Rect SnapToArea(const Rect &window, const Rect &area, std::int32_t distance) noexcept;

constexpr std::int32_t kPanelSnapDistance = 10;

// Command identifiers of the panel's frame menu.
enum PanelCommand : unsigned
{
    kPPSize0 = 300, // "32"; kPPSize0 + size index
    kPPSize6 = 306, // "256"
    kPPTop = 310,   // "常に最前面表示"
    kPPPanelTrans = 311, // "半透明"
    kPPHint = 312,  // "ヒントウィンドウを表示"
};

} // namespace ui
