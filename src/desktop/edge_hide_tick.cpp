#include "desktop/edge_hide_tick.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "desktop/edge_hide.h"
#include "platform/edge_strut.h"
#include "platform/window_stacking.h"

namespace vantrel {

namespace {

EdgeHideInput GeometryOf(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    EdgeHideInput in;
    in.left = frame.x();
    in.top = frame.y();
    in.width = frame.width();
    in.height = frame.height();
    in.screenHeight = screen ? screen->geometry().height() : 0;
    return in;
}

}  // namespace

EdgeTickOutcome EdgeHideTick(QWidget& window, WindowStacking& stacking, EdgeStrut& strut) {
    EdgeHideInput in = GeometryOf(window);
    // Asking for the pointer is a round trip to the X server; a window away
    // from both edges is left alone wherever the pointer is.
    const bool atAnEdge = EdgeHideNeedsPointer(in);
    if (atAnEdge) {
        const QPoint pointer = QCursor::pos();
        in.pointerX = pointer.x();
        in.pointerY = pointer.y();
    }
    const EdgeHidePlan plan = PlanEdgeHide(in);
    stacking.SetStaysOnTop(window, plan.topMost);
    if (!plan.top) {
        return atAnEdge ? EdgeTickOutcome::kWaitingForPointer : EdgeTickOutcome::kAwayFromEdges;
    }
    strut.Reserve(window, HiddenSide(in, *plan.top));
    window.move(window.frameGeometry().x(), *plan.top);
    // Raised when it jumps, so the strip left on screen is not under another
    // window; raising on every tick would restack it 100 times a second.
    if (plan.raise) window.raise();
    return EdgeTickOutcome::kWindowMoved;
}

}  // namespace vantrel
