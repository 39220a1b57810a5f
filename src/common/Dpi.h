// Screen resolution arithmetic: KV2's windows are designed in pixels at 96 DPI and drawn in the pixels
// of the monitor they are on.
#pragma once

namespace common
{

// The resolution layouts and sizes are designed at.
constexpr int kDesignDpi = 96;

// `designPixels` at `dpi`, rounded to the nearest pixel (halves away from zero, as MulDiv rounds); a
// resolution that is not positive counts as kDesignDpi.
constexpr int ScaleForDpi(int designPixels, int dpi) noexcept
{
    if (dpi <= 0)
        return designPixels;
    const long long scaled = static_cast<long long>(designPixels) * dpi;
    return static_cast<int>((scaled >= 0 ? scaled + kDesignDpi / 2 : scaled - kDesignDpi / 2) / kDesignDpi);
}

} // namespace common
