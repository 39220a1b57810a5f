// Translucency percent and the layered-window alpha byte.
#pragma once

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

} // namespace procwin
