#include "procwin/MonitorPlacement.h"

#include "common/Text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace procwin
{

namespace
{

// Coordinates in a stored layout beyond this are damaged: within it, sums and differences of
// coordinates fit in 32 bits.
constexpr std::int32_t kLayoutLimit = 1 << 24;

std::int32_t Width(const Rect &r) noexcept
{
    return r.right - r.left;
}

std::int32_t Height(const Rect &r) noexcept
{
    return r.bottom - r.top;
}

bool SameMonitor(const MonitorArea &a, const MonitorArea &b) noexcept
{
    return a.monitor == b.monitor && a.dpi == b.dpi;
}

// How far the rectangle's centre is from the monitor, across plus down (0 inside it).
std::int32_t Distance(const Rect &window, const Rect &monitor) noexcept
{
    const std::int32_t x = window.left + Width(window) / 2;
    const std::int32_t y = window.top + Height(window) / 2;
    const std::int32_t dx = x < monitor.left     ? monitor.left - x
                            : x >= monitor.right ? x - monitor.right + 1
                                                 : 0;
    const std::int32_t dy = y < monitor.top       ? monitor.top - y
                            : y >= monitor.bottom ? y - monitor.bottom + 1
                                                  : 0;
    return dx + dy;
}

const MonitorArea *Nearest(const Rect &window, const std::vector<MonitorArea> &monitors) noexcept
{
    const MonitorArea *nearest = nullptr;
    std::int32_t best = std::numeric_limits<std::int32_t>::max();
    for (const MonitorArea &m : monitors)
    {
        const std::int32_t distance = Distance(window, m.monitor);
        if (distance < best)
        {
            best = distance;
            nearest = &m;
        }
    }
    return nearest;
}

// The window moved fully into `area`, its size kept unless larger than the area.
Rect FitInto(const Rect &window, const Rect &area) noexcept
{
    const std::int32_t width = std::min(Width(window), Width(area));
    const std::int32_t height = std::min(Height(window), Height(area));
    const std::int32_t left = std::clamp(window.left, area.left, area.right - width);
    const std::int32_t top = std::clamp(window.top, area.top, area.bottom - height);
    return {left, top, left + width, top + height};
}

// The title bar can be grabbed: it lies within some work area from top to bottom and overlaps it
// across at least its own height.
bool TitleBarReachable(const Rect &window, const std::vector<MonitorArea> &monitors,
                       std::int32_t titleBarHeight) noexcept
{
    for (const MonitorArea &m : monitors)
    {
        const std::int32_t overlap =
            std::min(window.right, m.work.right) - std::max(window.left, m.work.left);
        if (window.top >= m.work.top && window.top + titleBarHeight <= m.work.bottom &&
            overlap >= std::max(titleBarHeight, 1))
            return true;
    }
    return false;
}

} // namespace

std::u16string FormatMonitorLayout(const std::vector<MonitorArea> &monitors)
{
    std::u16string text;
    for (const MonitorArea &m : monitors)
    {
        if (!text.empty())
            text += u';';
        for (const std::int32_t value : {m.monitor.left, m.monitor.top, m.monitor.right, m.monitor.bottom})
        {
            common::AppendDecimal(text, value);
            text += u',';
        }
        common::AppendDecimal(text, m.dpi);
    }
    return text;
}

std::vector<MonitorArea> ParseMonitorLayout(std::u16string_view text)
{
    // Five numbers for each monitor, every one of them readable, or no layout at all.
    std::vector<MonitorArea> monitors;
    std::int32_t n[5] = {};
    std::size_t field = 0;
    for (std::size_t start = 0; !text.empty() && start <= text.size();)
    {
        const std::size_t end = std::min(text.find_first_of(u",;", start), text.size());
        const bool lastOfMonitor = end == text.size() || text[end] == u';';
        const std::optional<std::int32_t> value = common::ParseInt32(text.substr(start, end - start));
        if (!value || *value < -kLayoutLimit || *value > kLayoutLimit || lastOfMonitor != (field == 4))
            return {};
        n[field++] = *value;
        if (lastOfMonitor)
        {
            const Rect area{n[0], n[1], n[2], n[3]};
            if (area.right <= area.left || area.bottom <= area.top || n[4] <= 0)
                return {};
            monitors.push_back({area, area, n[4]});
            field = 0;
        }
        start = end + 1;
    }
    return monitors;
}

bool SameMonitors(const std::vector<MonitorArea> &a, const std::vector<MonitorArea> &b)
{
    if (a.size() != b.size())
        return false;
    for (const MonitorArea &m : a)
    {
        bool found = false;
        for (const MonitorArea &n : b)
            found = found || SameMonitor(m, n);
        if (!found)
            return false;
    }
    return true;
}

Rect PlaceRemembered(const Rect &stored, const std::vector<MonitorArea> &storedLayout,
                     const std::vector<MonitorArea> &now, std::int32_t titleBarHeight)
{
    const MonitorArea *nearest = Nearest(stored, now);
    if (nearest == nullptr)
        return stored;
    Rect place = stored;
    if (const MonitorArea *home = Nearest(stored, storedLayout))
    {
        const bool homeThere =
            std::any_of(now.begin(), now.end(), [home](const MonitorArea &m) { return SameMonitor(m, *home); });
        if (!homeThere)
            place = FitInto(stored, nearest->work);
    }
    if (!TitleBarReachable(place, now, titleBarHeight))
        place = FitInto(place, Nearest(place, now)->work);
    return place;
}

void PlaceWatch::Attached(bool sameLayout, const std::optional<Rect> &placed) noexcept
{
    m_holdNext = false;
    m_notTheUsers.reset();
    if (!sameLayout)
        m_notTheUsers = placed;
}

void PlaceWatch::DisplayChanged(std::uint64_t now) noexcept
{
    m_changingUntil = now + kSettleTime;
    m_holdNext = true;
    m_notTheUsers.reset();
}

bool PlaceWatch::Records(const Rect &place, std::uint64_t now) noexcept
{
    if (now < m_changingUntil)
        return false;
    if (std::exchange(m_holdNext, false))
        m_notTheUsers = place;
    if (m_notTheUsers && *m_notTheUsers == place)
        return false;
    m_notTheUsers.reset();
    return true;
}

} // namespace procwin
