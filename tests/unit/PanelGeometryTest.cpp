#include "ui/PanelGeometry.h"

#include <gtest/gtest.h>

using namespace ui;

TEST(PanelGeometry, EverySizeHasItsFormAndInnerPanel)
{
    struct Case
    {
        int index;
        int icon;
        int formSide;
        int offset;
    } cases[] = {
        {0, 32, 36, 2},
        {1, 48, 54, 3},
        {2, 64, 72, 4},
        {3, 96, 108, 6},
        {4, 128, 144, 8},
        {5, 192, 216, 12},
        {6, 256, 288, 16},
        // Stored values outside the menu draw at 128.
        {-1, 128, 144, 8},
        {7, 128, 144, 8},
        {1000, 128, 144, 8},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(PanelIconSize(c.index), c.icon) << c.index;
        const PanelGeometry geometry = PanelGeometryFor(c.index, 96);
        EXPECT_EQ(geometry.formSide, c.formSide) << c.index;
        EXPECT_EQ(geometry.panelOffset, c.offset) << c.index;
        EXPECT_EQ(geometry.panelSide, c.icon) << c.index;
        // The frame is as wide on the far sides as on the near ones.
        EXPECT_EQ(geometry.formSide - geometry.panelSide - geometry.panelOffset, geometry.panelOffset)
            << c.index;
    }
}

TEST(PanelGeometry, SizesAreLogicalPixelsScaledByTheMonitorsResolution)
{
    struct Case
    {
        int index;
        int dpi;
        PanelGeometry expected; // form side, offset, panel side
    } cases[] = {
        {0, 96, {36, 2, 32}},    {0, 120, {45, 2, 40}},   {0, 144, {54, 3, 48}},    {0, 192, {72, 4, 64}},
        {4, 120, {180, 10, 160}}, {6, 144, {432, 24, 384}}, {6, 192, {576, 32, 512}},
        {1, 0, {54, 3, 48}}, // a resolution that cannot be read: as designed
    };
    for (const Case &c : cases)
    {
        const PanelGeometry geometry = PanelGeometryFor(c.index, c.dpi);
        EXPECT_EQ(geometry.formSide, c.expected.formSide) << c.index << " at " << c.dpi;
        EXPECT_EQ(geometry.panelOffset, c.expected.panelOffset) << c.index << " at " << c.dpi;
        EXPECT_EQ(geometry.panelSide, c.expected.panelSide) << c.index << " at " << c.dpi;
    }
    // Rounded as MulDiv rounds, negative values too (a place left of the primary monitor).
    EXPECT_EQ(common::ScaleForDpi(5, 144), 8);
    EXPECT_EQ(common::ScaleForDpi(-5, 144), -8);
    EXPECT_EQ(common::ScaleForDpi(21, 120), 26);
}

TEST(PanelGeometry, HintSitsOnThePanelsTopEdge)
{
    struct Case
    {
        int left, top, width, height;
        Rect expected;
    } cases[] = {
        {100, 200, 80, 16, {100, 184, 186, 202}},
        {0, 0, 10, 32, {0, -32, 16, 2}},           // above the screen's top: the hint goes off it
        {-500, 40, 300, 48, {-500, -8, -194, 42}}, // a monitor left of the primary one
        {10, 10, 0, 0, {10, 10, 16, 12}},          // empty text
    };
    for (const Case &c : cases)
        EXPECT_EQ(PanelHintRect(c.left, c.top, c.width, c.height, 96), c.expected) << c.left << "," << c.top;
    // The padding grows with the resolution.
    EXPECT_EQ(PanelHintRect(100, 200, 80, 16, 192), (Rect{100, 184, 192, 204}));
}

TEST(PanelGeometry, DraggingSnapsToWorkAreaEdgesWithinTenPixels)
{
    const Rect area{0, 0, 1024, 738};
    struct Case
    {
        const char *name;
        Rect window;
        Rect expected;
    } cases[] = {
        {"free", {100, 100, 244, 244}, {100, 100, 244, 244}},
        {"left within 10", {10, 100, 154, 244}, {0, 100, 144, 244}},
        {"left 11 away", {11, 100, 155, 244}, {11, 100, 155, 244}},
        {"left beyond the edge", {-7, 100, 137, 244}, {0, 100, 144, 244}},
        {"right edge", {875, 300, 1019, 444}, {880, 300, 1024, 444}},
        {"top left corner", {4, -3, 148, 141}, {0, 0, 144, 144}},
        {"bottom right corner", {888, 600, 1032, 744}, {880, 594, 1024, 738}},
        {"wider than the area: the left edge wins", {5, 50, 1030, 90}, {0, 50, 1025, 90}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SnapToArea(c.window, area, kPanelSnapDistance), c.expected) << c.name;
}
