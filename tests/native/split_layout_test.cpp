// The bar between two panes: centred on request, clamped to the panes' least
// sizes, followed while dragged.
#include <gtest/gtest.h>

#include <climits>

#include "framework/model/SplitLayout.h"

namespace vantrel {
namespace {

constexpr SplitMetrics kWindow = {400, 4, 10};  // 396 pixels for the two panes

TEST(SplitLayoutTest, CentresOnRequestAndKeepsBothPanesTheirLeastSize)
{
    EXPECT_EQ(ClampSplit(kCentredSplit, kWindow), 198);
    EXPECT_EQ(ClampSplit(150, kWindow), 150);
    EXPECT_EQ(ClampSplit(10, kWindow), 10);
    EXPECT_EQ(ClampSplit(3, kWindow), 10) << "the upper pane keeps its least size";
    EXPECT_EQ(ClampSplit(-7, kWindow), 10);
    EXPECT_EQ(ClampSplit(386, kWindow), 386);
    EXPECT_EQ(ClampSplit(390, kWindow), 386) << "and so does the lower one";
    EXPECT_EQ(ClampSplit(INT_MAX, kWindow), 386);
    EXPECT_EQ(ClampSplit(INT_MIN, kWindow), 10);
}

TEST(SplitLayoutTest, AWindowTooSmallForBothPanesPutsTheBarInTheMiddle)
{
    EXPECT_EQ(ClampSplit(5, {20, 4, 10}), 8);
    EXPECT_EQ(ClampSplit(100, {0, 4, 10}), 0) << "a window not laid out yet";
    EXPECT_EQ(ClampSplit(100, {-50, 4, 10}), 0);
    EXPECT_EQ(ClampSplit(12, {INT_MAX, INT_MAX, INT_MAX}), 0);
    EXPECT_EQ(ClampSplit(12, {INT_MAX, 0, 0}), 12);
}

TEST(SplitLayoutTest, ADraggedBarFollowsThePointerWhereItWasGrabbed)
{
    EXPECT_EQ(DraggedSplit(152, 2, kWindow), 150);
    EXPECT_EQ(DraggedSplit(0, 2, kWindow), 10);
    EXPECT_EQ(DraggedSplit(5000, 0, kWindow), 386);
    EXPECT_EQ(DraggedSplit(-30000, 3, kWindow), 10);
    EXPECT_EQ(DraggedSplit(INT_MIN, INT_MAX, kWindow), 10);
    EXPECT_EQ(DraggedSplit(1, 2, kWindow), 10) << "-1 while dragging is a place, not a request to centre";
}

TEST(SplitLayoutTest, AProportionOfTheWindowFollowsItsExtentAndIsTheMiddleUntilItHasOne)
{
    EXPECT_EQ(SplitUnitsOf(100, 400), 2500);
    EXPECT_EQ(SplitUnitsOf(100, 0), kMiddleSplitUnits) << "no division by a width not known yet";
    EXPECT_EQ(SplitUnitsOf(100, -3), kMiddleSplitUnits);
    EXPECT_EQ(SplitUnitsOf(-20, 400), 0);
    EXPECT_EQ(SplitUnitsOf(INT_MAX, 400), kSplitUnits);
    EXPECT_EQ(SplitAtUnits(2500, kWindow), 100);
    EXPECT_EQ(SplitAtUnits(2500, {800, 4, 10}), 200) << "the same proportion of a wider window";
    EXPECT_EQ(SplitAtUnits(0, kWindow), 10) << "clamped to the least pane";
    EXPECT_EQ(SplitAtUnits(INT_MAX, kWindow), 386);
    EXPECT_EQ(SplitAtUnits(5000, {0, 4, 150}), 0);
}

}  // namespace
}  // namespace vantrel
