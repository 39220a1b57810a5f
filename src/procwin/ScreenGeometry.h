// Window geometry that does not need the system: off-screen tests, centring, and the rectangle
// rules of the target launch.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace procwin
{

struct Point
{
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Left, top, width and height in screen pixels.
struct Bounds
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool operator==(const Bounds &) const = default;
};

struct Rect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const Rect &) const = default;
};

// Minimized windows are parked at this position while the taskbar is shown.
constexpr std::int32_t kParkedPosition = -32000;

// True for the parking position of a minimized window: left and top both -32000.
constexpr bool IsParked(const Rect &rect) noexcept
{
    return rect.left == kParkedPosition && rect.top == kParkedPosition;
}

// The corners and the centre of the rectangle: a rectangle none of them lies on a monitor is off-screen.
std::array<Point, 5> ScreenProbePoints(const Bounds &bounds) noexcept;

// True when none of the corners and the centre of the rectangle lies on a monitor, as the predicate
// tells.
bool IsOffScreen(const Bounds &bounds, const std::function<bool(Point)> &onMonitor);

// The edge of the screen the taskbar sits on, as the shell reports it (ABE_ values).
enum class TaskbarEdge
{
    Left = 0,
    Top = 1,
    Right = 2,
    Bottom = 3,
};

struct Taskbar
{
    TaskbarEdge edge;
    Rect rect;
};

// The primary work area grown back over the taskbar; an unknown edge leaves it as it is.
Rect ScreenArea(const Rect &workArea, const std::optional<Taskbar> &taskbar) noexcept;

// Where a window of this size goes to be centred: (area right - width) / 2 and (area bottom - height) / 2,
// measured from the screen origin.
Point CenteredPosition(const Rect &area, std::int32_t width, std::int32_t height) noexcept;

} // namespace procwin
