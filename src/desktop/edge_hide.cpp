#include "desktop/edge_hide.h"

#include <cmath>

namespace vantrel {

namespace {

constexpr double kTolerance = 0.0000001;
constexpr double kBottomBand = 30;

bool Less(double a, double b) {
    return a - b < -kTolerance;
}
bool Greater(double a, double b) {
    return a - b > kTolerance;
}
bool Same(double a, double b) {
    return std::fabs(a - b) <= kTolerance;
}

bool AtTopEdge(double top) {
    return !Greater(top, 0);
}

bool ReachesBottomBand(double top, double height, double screenHeight) {
    return !Less(top + height, screenHeight - kBottomBand);
}

bool ShownAtBottom(double top, double height, double screenHeight) {
    return Same(top, screenHeight - height - kBottomBand);
}

bool WithinSpan(const EdgeHideInput& in) {
    return Less(in.left - 10, in.pointerX) && Less(in.pointerX, in.left + in.width + 10);
}

bool NearTop(const EdgeHideInput& in, double top) {
    return WithinSpan(in) && Less(top - 2, in.pointerY) && Less(in.pointerY, top + in.height + 10);
}

bool NearBottom(const EdgeHideInput& in, double top) {
    return WithinSpan(in) && Less(top - 10, in.pointerY) && Less(in.pointerY, top + in.height + 32);
}

}  // namespace

EdgeHidePlan PlanEdgeHide(const EdgeHideInput& in) {
    EdgeHidePlan plan;
    const bool firstOn = AtTopEdge(in.top);
    plan.topMost = !Less(in.top, in.screenHeight - kBottomBand);
    plan.raise = firstOn && !plan.topMost;

    // Each step sees the top the step before it left.
    double top = in.top;
    if (AtTopEdge(top)) top = NearTop(in, top) ? 0 : std::trunc(2 - in.height);
    const bool nearBottom = NearBottom(in, top);
    if (nearBottom && ReachesBottomBand(top, in.height, in.screenHeight)) {
        top = std::trunc(in.screenHeight - in.height - kBottomBand);
    } else if (!nearBottom && ShownAtBottom(top, in.height, in.screenHeight)) {
        top = std::trunc(in.screenHeight - 2);
    }
    if (!Same(top, in.top)) plan.top = static_cast<int>(top);
    return plan;
}

EdgeSide HiddenSide(const EdgeHideInput& in, int top) {
    if (top == static_cast<int>(std::trunc(2 - in.height))) return EdgeSide::kTop;
    if (top == static_cast<int>(std::trunc(in.screenHeight - 2))) return EdgeSide::kBottom;
    return EdgeSide::kNone;
}

bool EdgeHideNeedsPointer(const EdgeHideInput& in) {
    return AtTopEdge(in.top) || ReachesBottomBand(in.top, in.height, in.screenHeight) ||
           ShownAtBottom(in.top, in.height, in.screenHeight);
}

}  // namespace vantrel
