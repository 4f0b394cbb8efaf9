#include "desktop/edge_hide.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// The 308 x 542 window of the first start on a 1920 x 1080 screen, 900 pixels in.
EdgeHideInput Window(double top, double pointerX, double pointerY) {
    EdgeHideInput in;
    in.left = 900;
    in.top = top;
    in.width = 308;
    in.height = 542;
    in.pointerX = pointerX;
    in.pointerY = pointerY;
    in.screenHeight = 1080;
    return in;
}

// Runs ticks the way the timer does: each one starts where the last one left the window.
double Tick(EdgeHideInput& in) {
    const EdgeHidePlan plan = PlanEdgeHide(in);
    if (plan.top) in.top = *plan.top;
    return in.top;
}

TEST(EdgeHide, TopEdgeHidesWhenThePointerLeavesAndReturnsAtTheStrip) {
    EdgeHideInput in = Window(-5, 400, 600);  // dragged a little above the edge, pointer away
    EXPECT_EQ(Tick(in), -540);
    EXPECT_EQ(Tick(in), -540);  // hidden stays hidden

    // The top 12 pixel rows, within the span widened by 10 on each side.
    in.pointerX = 891;
    in.pointerY = 11;
    EXPECT_EQ(Tick(in), 0);
    in.pointerY = 400;  // over the shown window
    EXPECT_EQ(Tick(in), 0);
    in.pointerY = 552;  // 10 rows below it is not near any more
    EXPECT_EQ(Tick(in), -540);

    // A screen above this one: the row just above the edge still counts, two above do not.
    in.pointerX = 1000;
    in.pointerY = 5;
    EXPECT_EQ(Tick(in), 0);
    in.pointerY = -1;
    EXPECT_EQ(Tick(in), 0);
    in.pointerY = -2;
    EXPECT_EQ(Tick(in), -540);

    // Just outside the widened span, or at row 12, it stays hidden.
    for (auto [x, y] : {std::pair{890.0, 5.0}, {1218.0, 5.0}, {1000.0, 12.0}}) {
        in.pointerX = x;
        in.pointerY = y;
        EXPECT_EQ(Tick(in), -540) << x << "," << y;
    }
}

TEST(EdgeHide, BottomEdgeSnapsThirtyAboveHidesBelowAndReturns) {
    EdgeHideInput in = Window(520, 1000, 800);  // bottom below 1050, pointer over it
    EXPECT_EQ(Tick(in), 508);
    EXPECT_EQ(Tick(in), 508);
    in.pointerY = 300;  // away
    EXPECT_EQ(Tick(in), 1078);
    EXPECT_TRUE(PlanEdgeHide(in).topMost);

    in.pointerY = 1068;  // the strip starts below row 1068
    EXPECT_EQ(Tick(in), 1078);
    in.pointerY = 1069;
    EXPECT_EQ(Tick(in), 508);
    EXPECT_FALSE(PlanEdgeHide(in).topMost);
}

TEST(EdgeHide, AwayFromTheEdgesNothingMovesAndTopMostIsOff) {
    for (double top : {100.0, 507.0, 1.0}) {
        EdgeHideInput in = Window(top, 1000, 200);
        EXPECT_FALSE(EdgeHideNeedsPointer(in));
        for (double y : {-100.0, 0.0, 200.0, 1079.0}) {
            in.pointerY = y;
            EXPECT_EQ(PlanEdgeHide(in), (EdgeHidePlan{false, false, std::nullopt})) << top;
        }
    }
    EXPECT_TRUE(EdgeHideNeedsPointer(Window(0, 0, 0)));
    EXPECT_TRUE(EdgeHideNeedsPointer(Window(508, 0, 0)));
    EXPECT_TRUE(EdgeHideNeedsPointer(Window(1078, 0, 0)));
}

TEST(EdgeHide, AlwaysOnTopFollowsTheSecondSetting) {
    // At the top the first setting switches it on and the second off: raised only.
    EXPECT_EQ(PlanEdgeHide(Window(0, 1000, 5)), (EdgeHidePlan{true, false, std::nullopt}));
    const EdgeHidePlan bottom = PlanEdgeHide(Window(1078, 0, 0));
    EXPECT_TRUE(bottom.topMost);
    EXPECT_FALSE(bottom.raise);
    EXPECT_FALSE(PlanEdgeHide(Window(1049, 0, 0)).topMost);
    EXPECT_TRUE(PlanEdgeHide(Window(1050, 0, 0)).topMost);
}

TEST(EdgeHide, ToleranceAndTruncation) {
    // Within 1e-7 of the edge counts as at the edge; further does not.
    EXPECT_EQ(PlanEdgeHide(Window(0.00000005, 0, 900)).top, -540);
    EXPECT_EQ(PlanEdgeHide(Window(0.000001, 0, 900)).top, std::nullopt);
    // Exactly the tolerance away is still within it.
    EXPECT_EQ(PlanEdgeHide(Window(0.0000001, 0, 900)).top, -540);
    // The exact shown-at-bottom test allows the same tolerance.
    EXPECT_EQ(PlanEdgeHide(Window(508.00000005, 0, 0)).top, 1078);
    EXPECT_EQ(PlanEdgeHide(Window(508.001, 0, 0)).top, std::nullopt);
    // New positions are truncated toward zero.
    EdgeHideInput odd = Window(-3, 0, 900);
    odd.height = 542.7;
    EXPECT_EQ(PlanEdgeHide(odd).top, -540);
    odd = Window(600, 1000, 1000);
    odd.screenHeight = 1080.9;
    EXPECT_EQ(PlanEdgeHide(odd).top, 508);
}

}  // namespace
}  // namespace vantrel
