#include "desktop/edge_tick_pause.h"

#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/fake_pointer_watch.h"
#include "support/qt_app.h"

namespace vantrel {
namespace {

constexpr int kTickMs = 10;

class EdgeTickPauseTest : public ::testing::Test {
  protected:
    EdgeTickPauseTest() : pause_(window_, timer_, test::FakePointerWatch::Maker(pointer_)) {
        window_.setGeometry(100, 100, 200, 100);
        window_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
        timer_.start(kTickMs);
    }

    bool Ticking() const { return timer_.isActive() && timer_.interval() == kTickMs; }

    QWidget window_;
    QTimer timer_;
    test::FakePointerWatch* pointer_ = nullptr;
    // Goes before the window and the timer, as its owner must see to.
    EdgeTickPause pause_;
};

TEST_F(EdgeTickPauseTest, AwayFromTheEdgesTheTimerRestsUntilTheWindowMovesUnlessItsOwnerStopsIt) {
    pause_.Settle(EdgeTickOutcome::kWindowMoved);
    EXPECT_TRUE(Ticking());
    pause_.Settle(EdgeTickOutcome::kAwayFromEdges);
    EXPECT_FALSE(timer_.isActive());
    window_.move(150, 120);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Ticking(); }, 2000));

    // Stopped by its owner (hidden to the tray) while resting: it stays so.
    pause_.Settle(EdgeTickOutcome::kAwayFromEdges);
    timer_.setInterval(0);
    window_.move(160, 120);
    QTest::qWait(50);
    EXPECT_FALSE(timer_.isActive());
}

TEST_F(EdgeTickPauseTest, GrowingShowingOrAStateChangeWakesTheRestingTimer) {
    // A window that grows into the edge band must be looked at again.
    pause_.Settle(EdgeTickOutcome::kAwayFromEdges);
    window_.resize(260, 100);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Ticking(); }, 2000));

    pause_.Settle(EdgeTickOutcome::kAwayFromEdges);
    window_.hide();
    EXPECT_FALSE(timer_.isActive());
    window_.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Ticking(); }, 2000));

    pause_.Settle(EdgeTickOutcome::kAwayFromEdges);
    window_.setWindowState(Qt::WindowMaximized);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Ticking(); }, 2000));
}

TEST_F(EdgeTickPauseTest, AWakeNeverStartsATimerItsOwnerSetToZero) {
    // Docking switched off while resting: no wake may start a 0 ms tick.
    pause_.Settle(EdgeTickOutcome::kAwayFromEdges);
    timer_.setInterval(0);
    pause_.Resume();
    EXPECT_FALSE(timer_.isActive());
    window_.resize(300, 150);
    QTest::qWait(50);
    EXPECT_FALSE(timer_.isActive());

    // Nor does a pointer move after a rest at an edge.
    timer_.start(kTickMs);
    pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    ASSERT_FALSE(timer_.isActive());
    timer_.setInterval(0);
    pointer_->Move();
    EXPECT_FALSE(timer_.isActive());
}

TEST_F(EdgeTickPauseTest, AtAnEdgeTheSecondTickRestsUntilThePointerMoves) {
    // The first tick at the edge looked before the watch began: no rest yet.
    pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    EXPECT_TRUE(pointer_->Watching());
    EXPECT_TRUE(Ticking());
    pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    EXPECT_FALSE(timer_.isActive());
    pointer_->Move();
    EXPECT_TRUE(Ticking());
    EXPECT_FALSE(pointer_->Watching());

    // A tick that moves the window ends the watch it had begun.
    pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    pause_.Settle(EdgeTickOutcome::kWindowMoved);
    EXPECT_FALSE(pointer_->Watching());
    EXPECT_TRUE(Ticking());
}

TEST_F(EdgeTickPauseTest, APointerPlacedWithoutMotionIsFoundByAskingWhereItIs) {
    pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    QTest::qWait(250);  // more than one look, each finding it where it was
    EXPECT_FALSE(timer_.isActive());
    pointer_->placeChanged = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Ticking(); }, 2000));
}

TEST_F(EdgeTickPauseTest, WhereMotionCannotBeWatchedAnEdgeKeepsTicking) {
    pointer_->available = false;
    for (int tick = 0; tick < 3; ++tick)
        pause_.Settle(EdgeTickOutcome::kWaitingForPointer);
    EXPECT_FALSE(pointer_->Watching());
    EXPECT_TRUE(Ticking());
}

}  // namespace
}  // namespace vantrel
