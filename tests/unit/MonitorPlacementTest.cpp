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
    struct Case
    {
        const char *name;
        bool sameLayout, displayChanging, whereKv2PutIt, records;
    };
    const Case cases[] = {
        {"on its monitors", true, false, false, true},
        {"the system moves it while a monitor goes", true, true, false, false},
        {"the system moves it after the monitor went", false, true, false, false},
        {"where KV2 put it while its monitor is gone", false, false, true, false},
        {"moved by the user on other monitors", false, false, false, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RecordsPlace(c.sameLayout, c.displayChanging, c.whereKv2PutIt), c.records) << c.name;
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
    for (const char16_t *damaged : {u"", u"0,0,1920,1080", u"0,0,1920,1080,96,", u"0,0,1920,1080,x", u"0,0,0,1080,96",
                                    u"0,0,1920,1080,0", u"99999999999,0,1920,1080,96", u"0,0,1920,1080,96;", u"-,0,1,1,96"})
        EXPECT_TRUE(ParseMonitorLayout(damaged).empty()) << std::u16string_view(damaged).size();
}
