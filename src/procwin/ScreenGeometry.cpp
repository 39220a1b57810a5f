#include "procwin/ScreenGeometry.h"

namespace procwin
{

std::array<Point, 5> ScreenProbePoints(const Bounds &b) noexcept
{
    // 64-bit sums: a rectangle near the edge of the coordinate range must not wrap round.
    const auto clamp = [](long long v) {
        return static_cast<std::int32_t>(v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : v));
    };
    const long long right = static_cast<long long>(b.left) + b.width;
    const long long bottom = static_cast<long long>(b.top) + b.height;
    return {{
        {b.left, b.top},
        {clamp(right), clamp(bottom)},
        {clamp(right), b.top},
        {b.left, clamp(bottom)},
        {clamp(b.left + static_cast<long long>(b.width / 2)),
         clamp(b.top + static_cast<long long>(b.height / 2))},
    }};
}

bool IsOffScreen(const Bounds &b, const std::function<bool(Point)> &onMonitor)
{
    for (const Point &point : ScreenProbePoints(b))
        if (onMonitor(point))
            return false;
    return true;
}

Rect ScreenArea(const Rect &workArea, const std::optional<Taskbar> &taskbar) noexcept
{
    Rect area = workArea;
    if (!taskbar)
        return area;
    const Rect &bar = taskbar->rect;
    switch (taskbar->edge)
    {
    case TaskbarEdge::Top:
        area.top -= bar.bottom;
        break;
    case TaskbarEdge::Bottom:
        area.bottom += bar.bottom - bar.top;
        break;
    case TaskbarEdge::Left:
        area.left -= bar.right;
        break;
    case TaskbarEdge::Right:
        area.right += bar.right - bar.left;
        break;
    }
    return area;
}

Point CenteredPosition(const Rect &area, std::int32_t width, std::int32_t height) noexcept
{
    return {static_cast<std::int32_t>((static_cast<long long>(area.right) - width) / 2),
            static_cast<std::int32_t>((static_cast<long long>(area.bottom) - height) / 2)};
}

} // namespace procwin
