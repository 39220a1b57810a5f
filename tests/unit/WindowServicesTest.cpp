#include "procwin/LaunchPlan.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/ScreenGeometry.h"
#include "procwin/Translucency.h"

#include "FakeFileSystem.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using procwin::Bounds;
using procwin::Point;
using procwin::Rect;
using testing_support::U;

namespace procwin
{

// Lets GoogleTest show geometry by its fields when a comparison fails.
inline void PrintTo(const Point &p, std::ostream *os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}
inline void PrintTo(const Rect &r, std::ostream *os)
{
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

} // namespace procwin

namespace
{

// Monitors as MonitorFromPoint sees them: a point is on a monitor when it lies inside its rectangle,
// the right and bottom edges excluded.
std::function<bool(Point)> Monitors(std::vector<Rect> monitors)
{
    return [monitors = std::move(monitors)](Point p) {
        for (const Rect &m : monitors)
            if (p.x >= m.left && p.x < m.right && p.y >= m.top && p.y < m.bottom)
                return true;
        return false;
    };
}

const Rect kPrimary{0, 0, 1280, 800};
const Rect kWidePrimary{0, 0, 1920, 1080};
const Rect kLeftOfPrimary{-1280, 0, 0, 1024};

} // namespace

// --- Translucency -------------------------------------------------------------------------------

TEST(TranslucencyMenuSteps, GiveTheirAlphaAndReadBackCloseToTheStep)
{
    struct Case
    {
        int percent;
        int alpha;
        int readBack;
    };
    const Case cases[] = {
        {10, 26, 10},  {15, 39, 15},  {20, 52, 20},  {25, 65, 25},    {30, 78, 30},
        {35, 92, 36},  {40, 105, 41}, {45, 118, 46}, {50, 131, 51},   {55, 144, 56},
        {60, 157, 61}, {65, 170, 66}, {70, 184, 72}, {75, 197, 77},   {80, 210, 82},
        {85, 223, 87}, {90, 236, 92}, {95, 249, 97}, {100, 255, 100},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.percent);
        const int alpha = procwin::AlphaFromPercent(c.percent);
        EXPECT_EQ(alpha, c.alpha);
        EXPECT_EQ(procwin::PercentFromAlpha(alpha), c.readBack);
    }
}

TEST(TranslucencyAlpha, StaysBetweenEightAndOpaqueOffTheMenu)
{
    struct Case
    {
        int percent;
        int alpha;
    };
    const Case cases[] = {
        {INT_MIN, 8}, {-5, 8},   {0, 8},    {1, 8},    {2, 8},     {3, 8},      {4, 10},        {5, 13},
        {96, 252},    {97, 255}, {98, 255}, {99, 255}, {101, 255}, {1000, 255}, {INT_MAX, 255},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.percent);
        EXPECT_EQ(procwin::AlphaFromPercent(c.percent), c.alpha);
    }
}

TEST(TranslucencyReadBack, RoundsTowardZeroAndReadsNothingAsOpaque)
{
    struct Case
    {
        const char *name;
        int alpha;
        int percent;
    };
    const Case cases[] = {
        {"nothing could be read", -1, 100},
        {"zero", 0, 100},
        {"one", 1, 100},
        {"two, still below one percent", 2, 100},
        {"three is the first percent", 3, 1},
        {"smallest alpha ever set", 8, 3},
        {"half", 128, 50},
        {"just below opaque", 254, 99},
        {"opaque", 255, 100},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(procwin::PercentFromAlpha(c.alpha), c.percent);
    }
}

// --- Off-screen test ----------------------------------------------------------------------------

TEST(OffScreen, OnePointOfFiveOnAMonitorIsEnough)
{
    struct Case
    {
        const char *name;
        std::vector<Rect> monitors;
        Bounds bounds;
        bool offScreen;
    };
    const Case cases[] = {
        {"inside", {kPrimary}, {100, 100, 640, 480}, false},
        {"only top-left on", {kPrimary}, {1270, 790, 100, 100}, false},
        {"only bottom-right on", {kPrimary}, {-100, -100, 110, 110}, false},
        {"only top-right on", {kPrimary}, {-100, 790, 110, 100}, false},
        {"only bottom-left on", {kPrimary}, {1270, -100, 100, 110}, false},
        {"only the centre on", {kPrimary}, {-100, -100, 1500, 1000}, false},
        {"bottom-right exactly at the origin", {kPrimary}, {-100, -100, 100, 100}, false},
        {"right of the monitor", {kPrimary}, {1280, 0, 100, 100}, true},
        {"below the monitor", {kPrimary}, {0, 800, 100, 100}, true},
        {"above and left", {kPrimary}, {-200, -200, 100, 100}, true},
        {"no monitor at all", {}, {100, 100, 640, 480}, true},
        {"on the monitor left of the primary", {kWidePrimary, kLeftOfPrimary}, {-1000, 100, 400, 300}, false},
        {"below the shorter left monitor", {kWidePrimary, kLeftOfPrimary}, {-1000, 1030, 200, 40}, true},
        {"only top-right reaches the primary", {kWidePrimary, kLeftOfPrimary}, {-300, 1050, 310, 100}, false},
        {"above both", {kWidePrimary, kLeftOfPrimary}, {-500, -300, 200, 200}, true},
        {"only the centre on the left monitor", {kLeftOfPrimary}, {-1500, -500, 1000, 2000}, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(procwin::IsOffScreen(c.bounds, Monitors(c.monitors)), c.offScreen);
    }
}

TEST(OffScreen, AsksForTheCornersAndTheCentreRoundedTowardZero)
{
    // A one-pixel monitor tells exactly which points are asked for. With a negative height the
    // half is -15 (toward zero), not -16.
    const Bounds bounds{100, 200, 51, -31};
    struct Case
    {
        Point pixel;
        bool offScreen;
    };
    const Case cases[] = {
        {{100, 200}, false}, // top-left
        {{151, 169}, false}, // bottom-right
        {{151, 200}, false}, // top-right
        {{100, 169}, false}, // bottom-left
        {{125, 185}, false}, // centre
        {{125, 184}, true},  {{126, 185}, true}, {{150, 169}, true},
        {{101, 200}, true},  {{151, 170}, true}, {{100, 170}, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.pixel));
        const Point pixel = c.pixel;
        EXPECT_EQ(procwin::IsOffScreen(bounds, [pixel](Point p) { return p.x == pixel.x && p.y == pixel.y; }),
                  c.offScreen);
    }
}

TEST(OffScreen, CoordinatesAtTheEdgeOfTheRangeDoNotWrapRound)
{
    // Each sum below is far outside the 32-bit range; wrapping round would put a point on the monitor
    // at the origin (e.g. INT_MIN + INT_MIN wraps to 0).
    struct Case
    {
        const char *name;
        Bounds bounds;
        bool offScreen;
    };
    const Case cases[] = {
        {"all at the minimum", {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN}, true},
        {"all at the maximum", {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, true},
        {"far left, width wraps to the origin", {INT32_MIN, 10, INT32_MIN, 10}, true},
        {"near the maximum, small size", {INT32_MAX - 10, INT32_MAX - 10, 100, 100}, true},
        {"huge window centred on the origin", {-1000000000, -1000000000, 2000000000, 2000000000}, false},
        {"largest window from the minimum", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(procwin::IsOffScreen(c.bounds, Monitors({kPrimary})), c.offScreen);
    }
}

// --- Centring -----------------------------------------------------------------------------------

TEST(ScreenArea, GrowsTheWorkAreaBackOverTheTaskbar)
{
    using procwin::Taskbar;
    using procwin::TaskbarEdge;
    // The taskbars reach two pixels beyond the 1920x1080 screen, as the shell reports them, so that
    // "minus the bottom" and "minus the height" give different answers.
    struct Case
    {
        const char *name;
        Rect workArea;
        std::optional<Taskbar> taskbar;
        Rect area;
    };
    const Case cases[] = {
        {"top", {0, 42, 1920, 1080}, Taskbar{TaskbarEdge::Top, {-2, -2, 1922, 42}}, {0, 0, 1920, 1080}},
        {"bottom",
         {0, 0, 1920, 1038},
         Taskbar{TaskbarEdge::Bottom, {-2, 1038, 1922, 1082}},
         {0, 0, 1920, 1082}},
        {"left", {60, 0, 1920, 1080}, Taskbar{TaskbarEdge::Left, {-2, -2, 60, 1082}}, {0, 0, 1920, 1080}},
        {"right",
         {0, 0, 1860, 1080},
         Taskbar{TaskbarEdge::Right, {1860, -2, 1922, 1082}},
         {0, 0, 1922, 1080}},
        // Another app bar, 30 pixels, between the taskbar and the work area: the area does not reach the
        // screen edge, so only the rule above gives these answers.
        {"top, app bar",
         {0, 72, 1920, 1080},
         Taskbar{TaskbarEdge::Top, {-2, -2, 1922, 42}},
         {0, 30, 1920, 1080}},
        {"bottom, app bar",
         {0, 0, 1920, 1008},
         Taskbar{TaskbarEdge::Bottom, {-2, 1038, 1922, 1082}},
         {0, 0, 1920, 1052}},
        {"left, app bar",
         {90, 0, 1920, 1080},
         Taskbar{TaskbarEdge::Left, {-2, -2, 60, 1082}},
         {30, 0, 1920, 1080}},
        {"right, app bar",
         {0, 0, 1830, 1080},
         Taskbar{TaskbarEdge::Right, {1860, -2, 1922, 1082}},
         {0, 0, 1892, 1080}},
        {"no taskbar", {0, 0, 1920, 1040}, std::nullopt, {0, 0, 1920, 1040}},
        {"unknown edge",
         {0, 0, 1920, 1040},
         Taskbar{static_cast<TaskbarEdge>(7), {0, 1040, 1920, 1080}},
         {0, 0, 1920, 1040}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(procwin::ScreenArea(c.workArea, c.taskbar), c.area);
    }
}

TEST(CenteredPosition, HalvesFromTheScreenOriginTowardZero)
{
    struct Case
    {
        const char *name;
        Rect area;
        std::int32_t width, height;
        Point position;
    };
    const Case cases[] = {
        {"even", kWidePrimary, 800, 600, {560, 240}},
        {"odd", kWidePrimary, 801, 601, {559, 239}},
        {"area's left and top ignored", {100, 50, 1920, 1080}, 800, 600, {560, 240}},
        {"larger than the area, odd", kWidePrimary, 2001, 1181, {-40, -50}},
        {"area left of the origin", {-1280, 0, 0, 1024}, 101, 2000, {-50, -488}},
        {"differences beyond 32 bits",
         {0, 0, INT32_MAX, INT32_MIN},
         INT32_MIN,
         INT32_MAX,
         {INT32_MAX, -INT32_MAX}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const Point p = procwin::CenteredPosition(c.area, c.width, c.height);
        EXPECT_EQ(p.x, c.position.x);
        EXPECT_EQ(p.y, c.position.y);
    }
}

// --- Executable paths ---------------------------------------------------------------------------

TEST(PackagedProgram, IsRecognisedByItsWindowsAppsFolder)
{
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"C:\\Program "
         u"Files\\WindowsApps\\Microsoft.WindowsNotepad_11.2_x64__8wekyb3d8bbwe\\Notepad\\Notepad.exe",
         true},
        {u"D:\\windowsapps\\App\\a.exe", true},
        {u"C:\\Windows\\System32\\notepad.exe", false},
        {u"C:\\MyWindowsApps\\a.exe", false},
        {u"C:\\Tools\\WindowsApps.exe", false},
        {u"", false},
    };
    for (const auto &[path, packaged] : cases)
        EXPECT_EQ(procwin::IsPackagedProgramPath(path), packaged)
            << testing::PrintToString(std::u16string(path));
}

TEST(SameProgram, ComparesFileNamesIgnoringCaseAndFolders)
{
    struct Case
    {
        const char *name;
        std::u16string exePath;
        std::u16string programPath;
        bool same;
        std::u16string exeFileName;
    };
    const Case cases[] = {
        {"same path", u"C:\\Tools\\app.exe", u"C:\\Tools\\app.exe", true, u"app.exe"},
        {"case differs", u"C:\\WINDOWS\\NOTEPAD.EXE", u"c:\\windows\\notepad.exe", true, u"NOTEPAD.EXE"},
        {"other folder", u"D:\\Copy\\App.exe", u"C:\\Tools\\app.exe", true, u"App.exe"},
        {"forward slashes", u"C:/Tools/App.exe", u"D:\\Other\\app.exe", true, u"App.exe"},
        {"drive-relative", u"C:app.exe", u"C:\\Tools\\app.exe", true, u"app.exe"},
        {"bare file name", u"app.exe", u"C:\\Tools\\APP.EXE", true, u"app.exe"},
        {"different names", u"C:\\Tools\\app.exe", u"C:\\Tools\\app2.exe", false, u"app.exe"},
        {"folder named like the program", u"C:\\app.exe\\other.exe", u"C:\\Tools\\app.exe", false,
         u"other.exe"},
        {"extension differs", u"C:\\Tools\\app.com", u"C:\\Tools\\app.exe", false, u"app.com"},
        {"non-ASCII case", U("C:\\Ünï\\ÄPPＡ.exe"), U("D:\\äppａ.EXE"), true, U("ÄPPＡ.exe")},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(procwin::IsSameProgram(c.exePath, c.programPath), c.same);
        EXPECT_EQ(procwin::IsSameProgram(c.programPath, c.exePath), c.same);
        EXPECT_EQ(procwin::FileNameOf(c.exePath), c.exeFileName);
    }
}

// --- Target launch ------------------------------------------------------------------------------

TEST(LaunchRequest, AddsTheDefaultErrorModeAndPlacementFields)
{
    const std::uint32_t priorities[][2] = {
        {0x20, 0x04000020},   {0x40, 0x04000040},   {0x80, 0x04000080},
        {0x4000, 0x04004000}, {0x8000, 0x04008000},
    };
    for (const auto &[priority, flags] : priorities)
    {
        SCOPED_TRACE(priority);
        EXPECT_EQ(procwin::CreationFlags(priority), flags);
    }

    const Bounds placements[] = {{10, 20, 640, 480}, {-1270, -5, 800, 600}};
    for (const Bounds &placement : placements)
    {
        const procwin::StartupPlacement fields = procwin::StartupPlacementFor(placement);
        EXPECT_EQ(fields.flags, 7u);
        EXPECT_EQ(fields.x, placement.left);
        EXPECT_EQ(fields.y, placement.top);
        EXPECT_EQ(fields.width, placement.width);
        EXPECT_EQ(fields.height, placement.height);
    }
}

TEST(LaunchRequest, NamesTheProgramExactlyAndKeepsTheArgumentsAsWritten)
{
    const struct
    {
        std::u16string path, arguments, commandLine;
    } cases[] = {
        {U("C:\\Acc App\\target.exe"), u"", U("\"C:\\Acc App\\target.exe\"")},
        {U("C:\\Acc App\\target.exe"), U("-a \"b c\"  d"), U("\"C:\\Acc App\\target.exe\" -a \"b c\"  d")},
        {U("C:\\ツール\\アプリ.exe"), u" /x", U("\"C:\\ツール\\アプリ.exe\"  /x")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(procwin::ExactCommandLine(c.path, c.arguments), c.commandLine);
}

TEST(LaunchError, IsTheCommandLineFollowedByTheMessage)
{
    const std::u16string suffix = U("を起動できません。");
    const std::u16string commandLines[] = {
        U("C:\\Program Files\\My App\\app.exe /x"),
        U("C:\\ツール\\アプリ.exe"),
        u"app.exe ",
        u"",
    };
    for (const std::u16string &commandLine : commandLines)
        EXPECT_EQ(procwin::LaunchErrorText(commandLine), commandLine + suffix);
}

TEST(FrameWindow, IsTheWindowBelowOnlyUnderAnApplicationWindow)
{
    constexpr int kTop = 1;
    constexpr int kBelow = 2;
    struct Case
    {
        std::u16string topClass;
        int chosen;
    };
    const Case cases[] = {
        {u"TApplication", kBelow}, {u"tapplication", kTop}, {u"TAPPLICATION", kTop}, {u"TApplication ", kTop},
        {u"TApplicationX", kTop},  {u"TApplicatio", kTop},  {u"TForm1", kTop},       {u"", kTop},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.topClass));
        EXPECT_EQ(procwin::ChooseFrameWindow(kTop, kBelow, c.topClass), c.chosen);
    }
}

TEST(RestorePlan, RestoresAndMovesOnlyARealWindow)
{
    // A 640x480 window at (100, 50), and the placement that matches it.
    const Rect normal{100, 50, 740, 530};
    const Bounds same{100, 50, 640, 480};
    const Rect maximized{-8, -8, 1928, 1048};
    struct Case
    {
        const char *name;
        std::optional<Rect> rect;
        bool zoomed, iconic;
        std::optional<Bounds> placement;
        bool restore, move;
    };
    const Case cases[] = {
        {"rectangle not read", std::nullopt, true, true, Bounds{0, 0, 10, 10}, false, false},
        {"parked", Rect{-32000, -32000, -31840, -31973}, true, true, same, false, false},
        {"left alone at -32000", Rect{-32000, 50, -31360, 530}, false, true, same, true, true},
        {"top alone at -32000", Rect{100, -32000, 740, -31520}, true, false, same, true, true},
        {"width 1", Rect{100, 50, 101, 530}, true, false, Bounds{0, 0, 10, 10}, false, false},
        {"height 1", Rect{100, 50, 740, 51}, false, true, Bounds{0, 0, 10, 10}, false, false},
        {"width 0", Rect{100, 50, 100, 530}, true, false, same, false, false},
        {"right left of left", Rect{740, 50, 100, 530}, true, false, same, false, false},
        {"width beyond 32 bits", Rect{INT32_MIN, 0, INT32_MAX, 10}, true, false, same, false, false},
        {"two by two counts", Rect{100, 50, 102, 52}, true, false, Bounds{100, 50, 2, 2}, true, false},
        {"normal, no placement", normal, false, false, std::nullopt, false, false},
        {"zoomed, no placement", normal, true, false, std::nullopt, true, false},
        {"iconic, no placement", normal, false, true, std::nullopt, true, false},
        {"zoomed and iconic", normal, true, true, std::nullopt, true, false},
        {"placement equal", normal, false, false, same, false, false},
        {"zoomed, placement equal to the rectangle before the restore", normal, true, false, same, true,
         false},
        {"zoomed, placement differs", maximized, true, false, same, true, true},
        {"left differs", normal, false, false, Bounds{101, 50, 640, 480}, false, true},
        {"top differs", normal, false, false, Bounds{100, 49, 640, 480}, false, true},
        {"width differs", normal, false, false, Bounds{100, 50, 641, 480}, false, true},
        {"height differs", normal, false, false, Bounds{100, 50, 640, 479}, false, true},
        {"width and height swapped", normal, false, false, Bounds{100, 50, 480, 640}, false, true},
        {"right and bottom given as size", normal, false, false, Bounds{100, 50, 740, 530}, false, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const procwin::RestorePlan plan = procwin::PlanRestore(c.rect, c.zoomed, c.iconic, c.placement);
        EXPECT_EQ(plan.restore, c.restore);
        EXPECT_EQ(plan.move, c.move);
    }
}

TEST(ParkedPosition, IsLeftAndTopBothAtMinus32000)
{
    struct Case
    {
        Rect rect;
        bool parked;
    };
    const Case cases[] = {
        {{-32000, -32000, -31840, -31973}, true},
        {{-32000, -32000, 0, 0}, true},
        {{-32000, 0, 160, 27}, false},
        {{0, -32000, 160, 27}, false},
        {{-31999, -32000, 160, 27}, false},
        {{-32000, -32001, 160, 27}, false},
        {{-32001, -32000, 160, 27}, false},
        {{32000, 32000, 32160, 32027}, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.rect));
        EXPECT_EQ(procwin::IsParked(c.rect), c.parked);
    }
}
