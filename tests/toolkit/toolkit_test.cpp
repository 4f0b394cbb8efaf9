#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/qt_app.h"
#include "toolkit/caption_button.h"
#include "toolkit/label.h"
#include "toolkit/list_view.h"
#include "toolkit/message_box.h"
#include "toolkit/skin.h"
#include "toolkit/tip_box.h"
#include "toolkit/title_button.h"

namespace vantrel {
namespace {

using test::SendEnter;
using test::SendLeave;

class Toolkit : public ::testing::Test {
  protected:
    void TearDown() override { CloseTipBox(); }
};

TEST_F(Toolkit, ColoursRoundTripAsArgbWords) {
    for (std::uint32_t argb : {0xFFFF8E17u, 0x80123456u, 0x00000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(ArgbFromColor(ColorFromArgb(argb)), argb);
    }
    EXPECT_EQ(ColorFromArgb(0xFF6D7794), QColor(0x6D, 0x77, 0x94));
}

TEST_F(Toolkit, SkinFontDrawsChinese) {
    EXPECT_FALSE(SkinFontFamily().isEmpty());
    const QFontMetrics metrics(SkinFont(13));
    for (char32_t c : U"新浪微博百度热点今日头条抖音信息前更新") {
        if (c == 0) break;
        EXPECT_TRUE(metrics.inFontUcs4(c)) << static_cast<unsigned>(c);
    }
}

TEST_F(Toolkit, CaptionButtonKeepsStateAndReportsPointer) {
    QWidget host;
    CaptionButton button(QStringLiteral("百度热点"), &host);
    button.resize(66, 32);
    button.SetCaptionColor(0xFF6D7794);
    button.SetSelected(true);
    button.SetOpacity(300);
    EXPECT_EQ(button.CaptionColor(), 0xFF6D7794u);
    EXPECT_TRUE(button.Selected());
    EXPECT_EQ(button.Opacity(), 255);

    QSignalSpy entered(&button, &HoverButton::PointerEntered);
    QSignalSpy left(&button, &HoverButton::PointerLeft);
    SendEnter(&button);
    SendLeave(&button);
    EXPECT_EQ(entered.count(), 1);
    EXPECT_EQ(left.count(), 1);

    // The selected look differs from the idle one: the skin shows which source is chosen.
    const QImage selected = button.grab().toImage();
    button.SetSelected(false);
    EXPECT_NE(button.grab().toImage(), selected);
}

TEST_F(Toolkit, TitleButtonGlyphsAreDistinct) {
    QWidget host;
    QList<QImage> pictures;
    for (auto glyph : {TitleButton::Glyph::kSettings, TitleButton::Glyph::kMinimise,
                       TitleButton::Glyph::kClose}) {
        TitleButton button(glyph, &host);
        button.resize(16, 16);
        pictures.push_back(button.grab().toImage());
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);
    EXPECT_NE(pictures[0], pictures[2]);
}

TEST_F(Toolkit, LinkLabelClicksAndHovers) {
    QWidget host;
    LinkLabel link(QStringLiteral("查看全部"), &host);
    link.resize(69, 16);
    host.show();
    QSignalSpy clicked(&link, &LinkLabel::Clicked);
    QSignalSpy entered(&link, &LinkLabel::PointerEntered);
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(10, 8));
    SendEnter(&link);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(entered.count(), 1);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Toolkit, ClosingTipWhenNoneIsShownDoesNothing) {
    EXPECT_EQ(ShownTipBox(), nullptr);
    CloseTipBox();
    CloseTipBox();
    EXPECT_EQ(ShownTipBox(), nullptr);
}

TEST_F(Toolkit, TipBoxDrawsItsColoursAndReplacesTheShownTip) {
    TipOptions options;
    options.text = QStringLiteral("设置");
    options.background = 0xFF2C2C2C;
    options.borderColor = 0xFFFF0000;
    options.borderWidth = 2;
    PopUpTipBox(options);
    QWidget* first = ShownTipBox();
    ASSERT_NE(first, nullptr);
    const QImage picture = first->grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(0xFF, 0, 0));
    EXPECT_EQ(picture.pixelColor(3, 3), QColor(0x2C, 0x2C, 0x2C));

    QPointer<QWidget> old = first;
    options.text = QStringLiteral("关闭");
    PopUpTipBox(options);
    ASSERT_NE(ShownTipBox(), nullptr);
    EXPECT_TRUE(old.isNull() || !old->isVisible());
    CloseTipBox();
    EXPECT_EQ(ShownTipBox(), nullptr);
}

TEST_F(Toolkit, TipBoxWrapsAtItsMaximumWidthAndClosesAfterItsTime) {
    TipOptions options;
    options.text = QString(40, QChar(0x70ED));  // a long run of "热"
    options.maxWidth = 120;
    options.displayMs = 20;
    PopUpTipBox(options);
    QWidget* box = ShownTipBox();
    ASSERT_NE(box, nullptr);
    EXPECT_LE(box->width(), 120);
    EXPECT_GT(box->height(), 2 * QFontMetrics(box->font()).height());
    QPointer<QWidget> watched = box;
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 5000));
    EXPECT_EQ(ShownTipBox(), nullptr);
}

TEST_F(Toolkit, MessageBoxHasTheInformationTitleAndOneOkButton) {
    MessageBox box(QStringLiteral("开启自动刷新不可小于30秒"));
    EXPECT_EQ(box.Title(), QStringLiteral("信息："));
    EXPECT_EQ(box.Text(), QStringLiteral("开启自动刷新不可小于30秒"));
    EXPECT_EQ(box.parentWidget(), nullptr);
    const auto buttons = box.findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 1);
    box.show();
    QTest::mouseClick(buttons.front(), Qt::LeftButton);
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
}

QImage Solid(QColor colour) {
    QImage picture(14, 14, QImage::Format_ARGB32);
    picture.fill(colour);
    return picture;
}

// Pixels within `tolerance` of the colour in every channel (text is antialiased).
int CountColour(const QImage& picture, const QRect& box, QColor colour, int tolerance = 0) {
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            count += std::abs(c.red() - colour.red()) <= tolerance &&
                     std::abs(c.green() - colour.green()) <= tolerance &&
                     std::abs(c.blue() - colour.blue()) <= tolerance;
        }
    }
    return count;
}

class ListViewTest : public Toolkit {
  protected:
    void SetUp() override {
        model_.InsertColumn("A", 30, ImageGroup::kRankIcons);
        model_.InsertColumn("B", 150);
        model_.InsertColumn("C", 0);
        model_.InsertColumn("D", 20, ImageGroup::kTagIcons);
        view_.resize(200, 26 + 5 * 30);
        view_.SetModel(&model_);
        view_.SetGroupImages(ImageGroup::kRankIcons,
                             {Solid(Qt::red), Solid(Qt::green), Solid(Qt::blue), Solid(Qt::cyan)});
        view_.SetGroupImages(ImageGroup::kTagIcons, {Solid(Qt::magenta), Solid(Qt::yellow)});
        for (int i = 0; i < 8; ++i)
            model_.InsertItem();
    }

    ListModel model_;
    QWidget host_;
    ListView view_{&host_};
};

TEST_F(ListViewTest, ColumnsOfWidthZeroTakeNoRoom) {
    EXPECT_EQ(view_.CellRect(0, 0), QRect(0, 26, 30, 30));
    EXPECT_EQ(view_.CellRect(0, 1), QRect(30, 26, 150, 30));
    EXPECT_TRUE(view_.CellRect(0, 2).isEmpty());
    EXPECT_EQ(view_.CellRect(0, 3), QRect(180, 26, 20, 30));
    model_.SetColumnWidth(1, 100);
    EXPECT_EQ(view_.CellRect(2, 3), QRect(130, 86, 20, 30));
}

TEST_F(ListViewTest, DrawsOnlyVisibleElementsAndCellColours) {
    model_.SetElementVisible(0, 0, 2, true);
    model_.SetElementVisible(1, 0, 1, true);
    model_.SetElementVisible(1, 0, 1, false);
    model_.SetElementVisible(1, 3, 1, true);
    model_.SetItemTitle(2, 1, "WWWW");
    model_.SetItemFontColor(2, 1, 0xFFFF8E17);
    const QImage picture = view_.grab().toImage();
    EXPECT_GT(CountColour(picture, view_.CellRect(0, 0), Qt::blue), 100);
    EXPECT_EQ(CountColour(picture, view_.CellRect(0, 0), Qt::red), 0);
    EXPECT_EQ(CountColour(picture, view_.CellRect(1, 0), Qt::green), 0);  // set hidden again
    EXPECT_GT(CountColour(picture, view_.CellRect(1, 3), Qt::yellow), 100);
    EXPECT_GT(CountColour(picture, view_.CellRect(2, 1), QColor(0xFF, 0x8E, 0x17), 40), 5);
    EXPECT_EQ(CountColour(picture, view_.CellRect(3, 1), QColor(0xFF, 0x8E, 0x17), 40), 0);
}

TEST_F(ListViewTest, FollowsRowsComingAndGoing) {
    model_.SetElementVisible(0, 0, 0, true);
    EXPECT_GT(CountColour(view_.grab().toImage(), view_.CellRect(0, 0), Qt::red), 100);
    model_.DeleteItem(-1);
    EXPECT_TRUE(view_.RowRect(0).isEmpty());
    EXPECT_EQ(CountColour(view_.grab().toImage(), view_.rect(), Qt::red), 0);
}

TEST_F(ListViewTest, HoverActivationAndScrolling) {
    host_.show();
    QSignalSpy hovered(&view_, &ListView::RowHovered);
    QSignalSpy left(&view_, &ListView::RowsLeft);
    QSignalSpy activated(&view_, &ListView::RowActivated);
    QTest::mouseMove(&view_, QPoint(50, 26 + 30 + 5));
    ASSERT_EQ(hovered.count(), 1);
    EXPECT_EQ(hovered.front().front().toInt(), 1);
    EXPECT_EQ(view_.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&view_, QPoint(50, 10));  // over the column titles
    EXPECT_EQ(left.count(), 1);
    EXPECT_EQ(view_.cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(&view_, Qt::LeftButton, {}, QPoint(50, 26 + 2 * 30 + 5));
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.front().front().toInt(), 2);
    QTest::mouseClick(&view_, Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_EQ(activated.count(), 1);

    // Eight rows, five fit: the list scrolls no further than its last row.
    view_.ScrollToRow(100);
    EXPECT_EQ(view_.FirstVisibleRow(), 3);
    EXPECT_EQ(view_.RowAt(QPoint(50, 26 + 5)), 3);
    EXPECT_FALSE(view_.RowRect(7).isEmpty());
    EXPECT_TRUE(view_.RowRect(2).isEmpty());
}

}  // namespace
}  // namespace vantrel
