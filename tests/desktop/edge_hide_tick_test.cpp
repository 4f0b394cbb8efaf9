#include "desktop/edge_hide_tick.h"

#include <QColor>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/fake_edge_strut.h"
#include "platform/fake_window_stacking.h"
#include "support/qt_app.h"

namespace vantrel {
namespace {

class EdgeHideTickTest : public ::testing::Test {
  protected:
    void SetUp() override {
        screenHeight_ = QGuiApplication::primaryScreen()->geometry().height();
        // Frameless, as the main window is: its frame is its geometry.
        window_.setWindowFlag(Qt::FramelessWindowHint);
        window_.setGeometry(100, 200, 200, 100);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    // Places the window's frame with its top at `top` and waits until it is there.
    void PlaceAt(int top) {
        window_.move(100, top);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_.frameGeometry().top() == top; }, 2000));
    }

    // One tick with the pointer at (x, y); returns where it left the window's top.
    int TickWithPointerAt(int x, int y) {
        QCursor::setPos(x, y);
        last_ = EdgeHideTick(window_, stacking_, strut_);
        QTest::qWait(20);
        return window_.frameGeometry().top();
    }

    EdgeSide Reserved() const {
        const auto it = strut_.reserved.find(&window_);
        return it == strut_.reserved.end() ? EdgeSide::kNone : it->second;
    }

    int screenHeight_ = 0;
    QWidget window_;
    test::FakeWindowStacking stacking_;
    test::FakeEdgeStrut strut_;
    EdgeTickOutcome last_ = EdgeTickOutcome::kAwayFromEdges;
};

TEST_F(EdgeHideTickTest, TheStripIsReservedAtTheEdgeTheWindowHidesBehindAndGivenBack) {
    const int away = 700;  // right of the window's columns
    PlaceAt(0);
    EXPECT_EQ(TickWithPointerAt(away, 300), 2 - 100);
    EXPECT_EQ(last_, EdgeTickOutcome::kWindowMoved);
    EXPECT_EQ(Reserved(), EdgeSide::kTop);
    EXPECT_EQ(TickWithPointerAt(away, 300), 2 - 100);
    EXPECT_EQ(last_, EdgeTickOutcome::kWaitingForPointer);
    EXPECT_EQ(TickWithPointerAt(150, 1), 0);
    EXPECT_EQ(Reserved(), EdgeSide::kNone);

    // Shown at the bottom, it hides below and, resting there, stays above the others.
    PlaceAt(screenHeight_ - 100 - 30);
    EXPECT_EQ(TickWithPointerAt(away, 10), screenHeight_ - 2);
    EXPECT_EQ(Reserved(), EdgeSide::kBottom);
    TickWithPointerAt(away, 10);
    EXPECT_TRUE(stacking_.IsStaysOnTop(window_));
    EXPECT_EQ(TickWithPointerAt(150, screenHeight_ - 1), screenHeight_ - 100 - 30);
    EXPECT_EQ(Reserved(), EdgeSide::kNone);
}

TEST_F(EdgeHideTickTest, AwayFromTheEdgesNothingIsReservedOrMoved) {
    PlaceAt(200);
    EXPECT_EQ(TickWithPointerAt(150, 1), 200);
    EXPECT_EQ(last_, EdgeTickOutcome::kAwayFromEdges);
    EXPECT_TRUE(strut_.reserved.empty());
}

// Jumping to hide at the top, the window is raised: the strip it leaves on
// screen is not under a window that covered it.
TEST_F(EdgeHideTickTest, TheStripLeftAtTheTopIsAboveAWindowThatCoveredIt) {
    window_.setStyleSheet("background: #ff0000");
    PlaceAt(0);
    QWidget cover;
    cover.setWindowFlag(Qt::FramelessWindowHint);
    cover.setStyleSheet("background: #0000ff");
    cover.setGeometry(0, 0, 600, 50);
    cover.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&cover));
    cover.raise();
    QTest::qWait(50);

    ASSERT_EQ(TickWithPointerAt(700, 300), 2 - 100);
    QColor strip;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            strip = QGuiApplication::primaryScreen()
                        ->grabWindow(0, 150, 0, 1, 1)
                        .toImage()
                        .pixelColor(0, 0);
            return strip == QColor(0xff, 0, 0);
        },
        2000))
        << strip.name().toStdString();
}

}  // namespace
}  // namespace vantrel
