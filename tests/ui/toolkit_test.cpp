#include <QEnterEvent>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "toolkit/caption_button.h"
#include "toolkit/label.h"
#include "toolkit/message_box.h"
#include "toolkit/skin.h"
#include "toolkit/tip_box.h"
#include "toolkit/title_button.h"
#include "ui/qt_app.h"

namespace vantrel {
namespace {

class Toolkit : public ::testing::Test {
  protected:
    void TearDown() override { CloseTipBox(); }
};

void SendEnter(QWidget& widget) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&widget, &enter);
}

void SendLeave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

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
    SendEnter(button);
    SendLeave(button);
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
    SendEnter(link);
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

}  // namespace
}  // namespace vantrel
