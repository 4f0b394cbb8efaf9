#include "media/control_host.h"

#include <QFrame>

#include <gtest/gtest.h>

#include "media/media_player.h"
#include "support/qt_app.h"

namespace vantrel {
namespace {

TEST(ControlHostTest, NothingBeforeAControlAndNothingForAnUnknownClass) {
    ControlHost host;
    QWidget parent;
    EXPECT_EQ(host.GetIDispatch(), nullptr);
    EXPECT_FALSE(host.AdviseEvent(
        5101, [](const QVariantList&, std::intptr_t) {}, 0));
    EXPECT_EQ(
        host.CreateActiveX(&parent, "{00000000-0000-0000-0000-000000000000}", 0, 0, 10, 10, 0),
        nullptr);
    EXPECT_EQ(host.CreateActiveX(nullptr, MEDIA_PLAYER_CLSID, 0, 0, 10, 10, 0), nullptr);
    EXPECT_EQ(host.GetIDispatch(), nullptr);
    EXPECT_TRUE(parent.children().isEmpty());
}

TEST(ControlHostTest, PlacesTheControlWithItsBorderAndTheNewestControlIsCurrent) {
    ControlHost host;
    QWidget parent;
    parent.resize(400, 400);
    // Letter case of the identifier does not matter.
    QWidget* first = host.CreateActiveX(&parent, "{6bf52a52-394a-11d3-b153-00c04f79faa6}", 5, 6,
                                        120, 80, ControlHost::kBorderNone);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->parentWidget(), &parent);
    EXPECT_EQ(first->geometry(), QRect(5, 6, 120, 80));
    EXPECT_FALSE(first->isHidden());
    EXPECT_EQ(static_cast<QFrame*>(first)->frameWidth(), 0);
    const Dispatch firstPlayer = host.GetIDispatch();
    ASSERT_NE(firstPlayer, nullptr);

    QWidget* second =
        host.CreateActiveX(&parent, MEDIA_PLAYER_CLSID, 0, 0, 50, 50, ControlHost::kBorderLine);
    EXPECT_EQ(static_cast<QFrame*>(second)->frameWidth(), 1);
    EXPECT_NE(host.GetIDispatch(), firstPlayer);
    // The control inside fills what the border leaves.
    QWidget* control = second->findChild<QWidget*>(QStringLiteral("MediaPlayerControl"));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), QRect(1, 1, 48, 48));
    QWidget* sunken = host.CreateActiveX(&parent, MEDIA_PLAYER_CLSID, 0, 0, 50, 50,
                                         ControlHost::kBorderClientEdge);
    EXPECT_EQ(static_cast<QFrame*>(sunken)->frameWidth(), 2);

    // Events the control has can be bound; others cannot.
    EXPECT_TRUE(host.AdviseEvent(
        5101, [](const QVariantList&, std::intptr_t) {}, 7));
    EXPECT_TRUE(host.AdviseEvent(
        6512, [](const QVariantList&, std::intptr_t) {}, 7));
    EXPECT_FALSE(host.AdviseEvent(
        5100, [](const QVariantList&, std::intptr_t) {}, 7));
}

TEST(MediaPlayerTest, WithoutAControlEveryMemberIsEmpty) {
    MediaPlayer player;
    EXPECT_EQ(player.URL(QStringLiteral("http://127.0.0.1:1/v.mp4"), true), QString());
    EXPECT_FALSE(player.mute(true, true));
    EXPECT_EQ(player.playCount(), 0);
    EXPECT_EQ(player.Width(), 0);
    EXPECT_FALSE(player.OnPlayStateChange([](const QVariantList&, std::intptr_t) {}));
    EXPECT_EQ(player.CloseControl(), 0);
}

TEST(MediaPlayerTest, WindowAccessorsAndMembersReportWhatTheControlHolds) {
    MediaPlayer player;
    QWidget parent;
    parent.resize(400, 600);
    ASSERT_NE(player.CreateControl(&parent, 10, 20, 260, 462), nullptr);
    EXPECT_EQ(player.Width(), 260);
    EXPECT_EQ(player.Height(), 462);
    EXPECT_TRUE(player.Left(30, true));
    EXPECT_EQ(player.Left(), 30);
    EXPECT_EQ(player.Top(), 20);
    EXPECT_EQ(player.Width(), 260);
    player.MoveControl({}, 0, {}, 400);
    EXPECT_EQ(player.ControlWindow()->geometry(), QRect(30, 0, 260, 400));

    // A write returns what the control reports afterwards, not what was passed.
    EXPECT_EQ(player.uiMode(QStringLiteral("none"), true), QStringLiteral("none"));
    EXPECT_EQ(player.uiMode(QStringLiteral("sideways"), true), QStringLiteral("none"));
    EXPECT_EQ(player.playCount(999, true), 999);
    EXPECT_EQ(player.volume(150, true), 100);
    EXPECT_TRUE(player.mute(true, true));
    EXPECT_FALSE(player.mute(false, true));
    EXPECT_TRUE(player.stretchToFit(true, true));
    EXPECT_EQ(player.playState(), 0);  // nothing loaded yet
    EXPECT_EQ(player.sourceURL(), QString());
    // Members the control has no counterpart for answer empty.
    EXPECT_EQ(player.getItemInfoByAtom(3), QString());
    EXPECT_EQ(player.lostPackets(), 0);
    EXPECT_TRUE(player.OnPlayStateChange([](const QVariantList&, std::intptr_t) {}));

    // Closing the control lets go of the player; the wrapper stays usable.
    EXPECT_EQ(player.CloseControl(), 1);
    EXPECT_EQ(player.ControlWindow(), nullptr);
    EXPECT_FALSE(player.mute(true, true));
    EXPECT_NE(player.CreateControl(&parent, 0, 0, 100, 100), nullptr);
    EXPECT_EQ(player.uiMode(), QStringLiteral("full"));
}

}  // namespace
}  // namespace vantrel
