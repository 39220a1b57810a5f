// Translucency percent and the layered-window alpha byte.
#pragma once

#include <cstdint>

namespace procwin
{

// The smallest and largest alpha ever handed to the system.
constexpr int kMinimumAlpha = 8;
constexpr int kOpaqueAlpha = 255;

// Alpha for a percent: 255 at 100, otherwise percent * 263 / 100 (toward zero) kept within 8..255.
// The factor 263 rather than 255 makes the menu's steps read back close to what was chosen.
int AlphaFromPercent(int percent) noexcept;

// Percent for an alpha read back from a window: alpha * 100 / 255 (toward zero); 0 reads as 100,
// which also covers an alpha of -1 (nothing could be read).
int PercentFromAlpha(int alpha) noexcept;

// A window's own layering as it was before KV2 first changed its translucency: what "100%" and every
// undoing give back.
struct OwnLayering
{
    bool layered = false;     // the program made it a layered window
    bool drawsItself = false; // layered without attributes to read: it draws with per-pixel alpha
    std::uint32_t colourKey = 0;
    int alpha = kOpaqueAlpha;
    std::uint32_t flags = 0; // the system's LWA_COLORKEY (1) and LWA_ALPHA (2)

    bool operator==(const OwnLayering &) const = default;
};

} // namespace procwin
