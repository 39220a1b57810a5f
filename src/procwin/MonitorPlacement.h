// Where a remembered window place goes when the monitors have changed since it was taken (a laptop
// docked or undocked), and when a place the tick sees is the user's to keep.
#pragma once

#include "procwin/ScreenGeometry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace procwin
{

// One monitor: its rectangle, its work area (without the taskbar) and its resolution.
struct MonitorArea
{
    Rect monitor;
    Rect work;
    int dpi = 96;
};

// The monitors as stored beside a place: "left,top,right,bottom,dpi" for each, joined by ";". The work
// areas are not stored: the taskbar may move while the monitors stay.
std::u16string FormatMonitorLayout(const std::vector<MonitorArea> &monitors);
// The stored text read back (work areas equal to the monitors); empty for an empty or damaged text
// (a number beyond 2^24 included), which counts as a place taken before monitors were stored.
std::vector<MonitorArea> ParseMonitorLayout(std::u16string_view text);
// Whether two layouts have the same monitors (rectangles and resolutions, in any order).
bool SameMonitors(const std::vector<MonitorArea> &a, const std::vector<MonitorArea> &b);

// Where the remembered `stored` rectangle, taken on `storedLayout`, goes on the monitors `now`:
// - its monitor still there (or no layout stored): as it is;
// - its monitor gone: into the work area of the monitor nearest to it, its size kept (shrunk to fit);
// - either way, a rectangle whose title bar (its top `titleBarHeight` pixels) could not be reached
//   on any work area is moved fully into the nearest one.
// Sizes are never scaled: the program handles its own resolution. Without any monitor: `stored`.
// Coordinates are those of screens (within 2^24), as the system and a readable layout give them.
Rect PlaceRemembered(const Rect &stored, const std::vector<MonitorArea> &storedLayout,
                     const std::vector<MonitorArea> &now, std::int32_t titleBarHeight);

// Which of the rectangles the tick sees of a target are the user's places to remember. Not the
// system's moves while the display changes (a monitor going moves its windows), nor where a window
// stands once that settles, nor where KV2 put it at a start on monitors other than the stored place's:
// such a rectangle is held as "not the user's" until the window leaves it.
class PlaceWatch
{
  public:
    // The tick moves nothing for this long after the display changes.
    static constexpr std::uint64_t kSettleTime = 3000;

    // A new target: on the stored place's monitors every place it takes is the user's; on others the
    // place KV2 put it at (`placed`, none when KV2 placed nothing) is not.
    void Attached(bool sameLayout, const std::optional<Rect> &placed) noexcept;
    // The display changed at `now` (milliseconds).
    void DisplayChanged(std::uint64_t now) noexcept;
    // Whether `place`, seen at `now`, is the place to remember.
    bool Records(const Rect &place, std::uint64_t now) noexcept;

  private:
    std::uint64_t m_changingUntil = 0;
    bool m_holdNext = false;
    std::optional<Rect> m_notTheUsers;
};

} // namespace procwin
