#include "procwin/MonitorPlacement.h"

#include <gtest/gtest.h>

using namespace procwin;

namespace
{

// A laptop's screen (1920 x 1080 at 144 DPI, the taskbar at the bottom) and a monitor right of it.
const MonitorArea kLaptop{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 144};
const MonitorArea kRight{{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}, 96};
constexpr std::int32_t kTitleBar = 30;

} // namespace

TEST(MonitorPlacement, ARememberedPlaceIsKeptOnItsMonitorsAndBroughtWithinReachWithoutThem)
{
    struct Case
    {
        const char *name;
        Rect stored;
        std::vector<MonitorArea> storedLayout, now;
        Rect expected;
    };
    const Case cases[] = {
        {"same monitors", {2500, 200, 3300, 800}, {kLaptop, kRight}, {kLaptop, kRight}, {2500, 200, 3300, 800}},
        {"its monitor gone: onto the laptop, size kept", {2500, 200, 3300, 800}, {kLaptop, kRight}, {kLaptop},
         {1120, 200, 1920, 800}},
        {"its monitor gone, larger than what is left: shrunk", {2000, 100, 4400, 1300}, {kLaptop, kRight}, {kLaptop},
         {0, 0, 1920, 1040}},
        {"its monitor back: the old place", {2500, 200, 3300, 800}, {kLaptop, kRight}, {kRight, kLaptop},
         {2500, 200, 3300, 800}},
        {"another monitor gone: left as it is", {100, 100, 900, 700}, {kLaptop, kRight}, {kLaptop},
         {100, 100, 900, 700}},
        {"the title bar above the top edge", {300, -50, 1100, 600}, {kLaptop}, {kLaptop}, {300, 0, 1100, 650}},
        {"only a corner on the screen", {1900, 1030, 2700, 1600}, {kLaptop}, {kLaptop}, {1120, 470, 1920, 1040}},
        {"the title bar under the taskbar", {300, 1020, 1100, 1600}, {kLaptop}, {kLaptop}, {300, 460, 1100, 1040}},
        {"taken before monitors were stored, on screen", {100, 100, 900, 700}, {}, {kLaptop}, {100, 100, 900, 700}},
        {"a monitor left of the primary one gone", {-1500, 100, -700, 700}, {{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}, 96}, kLaptop},
         {kLaptop}, {0, 100, 800, 700}},
        {"no monitor at all", {10, 10, 20, 20}, {kLaptop}, {}, {10, 10, 20, 20}},
    };
    for (const Case &c : cases)
    {
        const Rect place = PlaceRemembered(c.stored, c.storedLayout, c.now, kTitleBar);
        EXPECT_EQ(place, c.expected) << c.name << ": " << place.left << "," << place.top << "," << place.right << ","
                                     << place.bottom;
    }
}

TEST(MonitorPlacement, OnlyTheUsersMovesChangeTheRememberedPlace)
{
    // Each step: what happens at `time`, the place the tick then sees, and whether it is remembered.
    enum class Event
    {
        Tick,
        AttachedOnItsMonitors,
        AttachedOnOthers,
        DisplayChanged,
    };
    struct Step
    {
        const char *name;
        Event event;
        std::uint64_t time;
        Rect place;
        bool records;
    };
    const Rect where{100, 100, 900, 700}, moved{200, 100, 1000, 700}, gone{0, 100, 800, 700};
    const Step steps[] = {
        {"on its monitors", Event::AttachedOnItsMonitors, 0, where, true},
        {"moved by the user", Event::Tick, 500, moved, true},
        {"the system moves it while a monitor goes", Event::DisplayChanged, 1000, gone, false},
        {"still settling", Event::Tick, 3500, gone, false},
        {"where the change left it", Event::Tick, 4000, gone, false},
        {"again", Event::Tick, 4500, gone, false},
        {"moved by the user after the change", Event::Tick, 5000, moved, true},
        {"and back where the change left it: the user's now", Event::Tick, 5500, gone, true},
        {"a start on other monitors: where KV2 put it", Event::AttachedOnOthers, 6000, where, false},
        {"there still", Event::Tick, 6500, where, false},
        {"moved by the user on other monitors", Event::Tick, 7000, moved, true},
        {"moved by the user before the first look", Event::AttachedOnOthers, 7500, moved, true},
    };
    PlaceWatch watch;
    for (const Step &s : steps)
    {
        if (s.event == Event::AttachedOnItsMonitors || s.event == Event::AttachedOnOthers)
            watch.Attached(s.event == Event::AttachedOnItsMonitors, where);
        else if (s.event == Event::DisplayChanged)
            watch.DisplayChanged(s.time);
        EXPECT_EQ(watch.Records(s.place, s.time), s.records) << s.name;
    }
}

TEST(MonitorPlacement, TheLayoutIsStoredAsTextAndADamagedOneIsNone)
{
    const std::vector<MonitorArea> layout{{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}, 96}, kLaptop};
    const std::u16string text = FormatMonitorLayout(layout);
    EXPECT_EQ(text, u"-1920,0,0,1080,96;0,0,1920,1080,144");
    const std::vector<MonitorArea> read = ParseMonitorLayout(text);
    EXPECT_TRUE(SameMonitors(read, layout));
    EXPECT_TRUE(SameMonitors(read, {kLaptop, layout[0]})) << "in any order";
    EXPECT_FALSE(SameMonitors(read, {kLaptop})) << "a monitor less";
    EXPECT_FALSE(SameMonitors({kLaptop}, {{kLaptop.monitor, kLaptop.work, 96}})) << "another resolution";
    for (const char16_t *damaged : {u"", u"0,0,1920,1080", u"0,0,1920,1080,96,", u"0,0,1920,1080,x",
                                    u"0,0,0,1080,96", u"0,0,1920,1080,0", u"99999999999,0,1920,1080,96",
                                    u"0,0,1920,1080,96;", u"-,0,1,1,96", u"-2147483648,0,2147483647,1080,96"})
        EXPECT_TRUE(ParseMonitorLayout(damaged).empty()) << std::u16string_view(damaged).size();
}
