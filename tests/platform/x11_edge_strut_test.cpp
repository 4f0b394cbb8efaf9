#include "platform/x11_edge_strut.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/ewmh.h"
#include "support/qt_app.h"

namespace vantrel {
namespace {

TEST(X11EdgeStrut, ReservesTheWindowsOwnColumnsAtItsEdgeAndGivesThemBack) {
    xcb_connection_t* c = ewmh::Connection();
    if (!c) GTEST_SKIP() << "needs an X display";
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(300, 0, 200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto id = static_cast<xcb_window_t>(window.winId());
    auto strut = [&] {
        return ewmh::Property32(c, id, ewmh::Atom(c, "_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL);
    };
    using Values = std::vector<std::uint32_t>;

    // left, right, top, bottom, then each one's first and last column or row.
    X11EdgeStrut().Reserve(window, EdgeSide::kTop);
    EXPECT_EQ(strut(), (Values{0, 0, 2, 0, 0, 0, 0, 0, 300, 499, 0, 0}));
    X11EdgeStrut().Reserve(window, EdgeSide::kBottom);
    EXPECT_EQ(strut(), (Values{0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 300, 499}));
    X11EdgeStrut().Reserve(window, EdgeSide::kNone);
    EXPECT_TRUE(strut().empty());
}

}  // namespace
}  // namespace vantrel
