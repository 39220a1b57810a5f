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
        {0, 32, 36, 2},    {1, 48, 54, 3},    {2, 64, 72, 4},   {3, 96, 108, 6},
        {4, 128, 144, 8},  {5, 192, 216, 12}, {6, 256, 288, 16},
        // Stored values outside the menu draw at 128.
        {-1, 128, 144, 8}, {7, 128, 144, 8},  {1000, 128, 144, 8},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(PanelIconSize(c.index), c.icon) << c.index;
        const PanelGeometry geometry = PanelGeometryFor(c.index);
        EXPECT_EQ(geometry.formSide, c.formSide) << c.index;
        EXPECT_EQ(geometry.panelOffset, c.offset) << c.index;
        EXPECT_EQ(geometry.panelSide, c.icon) << c.index;
        // The frame is as wide on the far sides as on the near ones.
        EXPECT_EQ(geometry.formSide - geometry.panelSide - geometry.panelOffset, geometry.panelOffset) << c.index;
    }
}

TEST(PanelGeometry, HintSitsOnThePanelsTopEdge)
{
    struct Case
    {
        int left, top, width, height;
        HintRect expected;
    } cases[] = {
        {100, 200, 80, 16, {100, 184, 186, 202}},
        {0, 0, 10, 32, {0, -32, 16, 2}},          // above the screen's top: the hint goes off it
        {-500, 40, 300, 48, {-500, -8, -194, 42}}, // a monitor left of the primary one
        {10, 10, 0, 0, {10, 10, 16, 12}},          // empty text
    };
    for (const Case &c : cases)
        EXPECT_EQ(PanelHintRect(c.left, c.top, c.width, c.height), c.expected) << c.left << "," << c.top;
}
