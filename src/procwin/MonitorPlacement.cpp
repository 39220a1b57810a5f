#include "procwin/MonitorPlacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace procwin
{

namespace
{

std::int64_t Width(const Rect &r) noexcept
{
    return static_cast<std::int64_t>(r.right) - r.left;
}

std::int64_t Height(const Rect &r) noexcept
{
    return static_cast<std::int64_t>(r.bottom) - r.top;
}

bool SameMonitor(const MonitorArea &a, const MonitorArea &b) noexcept
{
    return a.monitor == b.monitor && a.dpi == b.dpi;
}

// Squared distance from the rectangle's centre to the monitor (0 inside it).
std::int64_t DistanceSquared(const Rect &window, const Rect &monitor) noexcept
{
    const std::int64_t x = (static_cast<std::int64_t>(window.left) + window.right) / 2;
    const std::int64_t y = (static_cast<std::int64_t>(window.top) + window.bottom) / 2;
    const std::int64_t dx = x < monitor.left ? monitor.left - x : x >= monitor.right ? x - monitor.right + 1 : 0;
    const std::int64_t dy = y < monitor.top ? monitor.top - y : y >= monitor.bottom ? y - monitor.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

const MonitorArea *Nearest(const Rect &window, const std::vector<MonitorArea> &monitors) noexcept
{
    const MonitorArea *nearest = nullptr;
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (const MonitorArea &m : monitors)
    {
        const std::int64_t distance = DistanceSquared(window, m.monitor);
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
    const std::int64_t width = std::min(Width(window), Width(area));
    const std::int64_t height = std::min(Height(window), Height(area));
    const std::int64_t left = std::clamp<std::int64_t>(window.left, area.left, area.right - width);
    const std::int64_t top = std::clamp<std::int64_t>(window.top, area.top, area.bottom - height);
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(left + width),
            static_cast<std::int32_t>(top + height)};
}

// The title bar can be grabbed: it lies within some work area from top to bottom and overlaps it
// across at least its own height.
bool TitleBarReachable(const Rect &window, const std::vector<MonitorArea> &monitors,
                       std::int32_t titleBarHeight) noexcept
{
    for (const MonitorArea &m : monitors)
    {
        const std::int64_t overlap = std::min<std::int64_t>(window.right, m.work.right) -
                                     std::max<std::int64_t>(window.left, m.work.left);
        if (window.top >= m.work.top && static_cast<std::int64_t>(window.top) + titleBarHeight <= m.work.bottom &&
            overlap >= std::max<std::int32_t>(titleBarHeight, 1))
            return true;
    }
    return false;
}

std::optional<std::int32_t> ReadNumber(std::u16string_view &text, char16_t end)
{
    bool negative = !text.empty() && text.front() == u'-';
    if (negative)
        text.remove_prefix(1);
    std::int64_t value = 0;
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9' && digits < 10)
        value = value * 10 + (text[digits++] - u'0');
    if (digits == 0 || (digits < text.size() && text[digits] != end) || (digits == text.size() && end != 0))
        return std::nullopt;
    text.remove_prefix(std::min(digits + 1, text.size()));
    value = negative ? -value : value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

void AppendNumber(std::u16string &text, std::int64_t value)
{
    if (value < 0)
    {
        text += u'-';
        value = -value;
    }
    const std::size_t at = text.size();
    do
    {
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
}

} // namespace

std::u16string FormatMonitorLayout(const std::vector<MonitorArea> &monitors)
{
    std::u16string text;
    for (const MonitorArea &m : monitors)
    {
        if (!text.empty())
            text += u';';
        for (const std::int64_t value : {static_cast<std::int64_t>(m.monitor.left), static_cast<std::int64_t>(m.monitor.top),
                                         static_cast<std::int64_t>(m.monitor.right),
                                         static_cast<std::int64_t>(m.monitor.bottom)})
        {
            AppendNumber(text, value);
            text += u',';
        }
        AppendNumber(text, m.dpi);
    }
    return text;
}

std::vector<MonitorArea> ParseMonitorLayout(std::u16string_view text)
{
    std::vector<MonitorArea> monitors;
    while (!text.empty())
    {
        const std::size_t end = text.find(u';');
        if (end != std::u16string_view::npos && end + 1 == text.size())
            return {};
        std::u16string_view entry = text.substr(0, end);
        text = end == std::u16string_view::npos ? std::u16string_view() : text.substr(end + 1);
        const auto left = ReadNumber(entry, u',');
        const auto top = ReadNumber(entry, u',');
        const auto right = ReadNumber(entry, u',');
        const auto bottom = ReadNumber(entry, u',');
        const auto dpi = ReadNumber(entry, 0);
        if (!left || !top || !right || !bottom || !dpi || *right <= *left || *bottom <= *top || *dpi <= 0 ||
            !entry.empty())
            return {};
        const Rect area{*left, *top, *right, *bottom};
        monitors.push_back({area, area, *dpi});
    }
    return monitors;
}

bool SameMonitors(const std::vector<MonitorArea> &a, const std::vector<MonitorArea> &b)
{
    if (a.size() != b.size())
        return false;
    return std::all_of(a.begin(), a.end(), [&b](const MonitorArea &m) {
        return std::any_of(b.begin(), b.end(), [&m](const MonitorArea &n) { return SameMonitor(m, n); });
    });
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

bool RecordsPlace(bool sameLayout, bool displayChanging, bool whereKv2PutIt) noexcept
{
    return !displayChanging && (sameLayout || !whereKv2PutIt);
}

} // namespace procwin
