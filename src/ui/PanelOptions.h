// The icon panel's own options: its placement, its size and its three check marks.
#pragma once

#include <cstdint>

namespace ui
{

struct PanelOptions
{
    std::int32_t Left = 0; // screen pixels
    std::int32_t Top = 0;
    std::int32_t Size = 4; // 0 to 6: 32, 48, 64, 96, 128, 192, 256 pixels
    bool MostTop = false;
    bool Hint = true;
    bool Trans = true;

    bool operator==(const PanelOptions &) const = default;
};

} // namespace ui
