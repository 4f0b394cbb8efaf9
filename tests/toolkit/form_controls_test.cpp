#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/qt_app.h"
#include "toolkit/edit_box.h"
#include "toolkit/group_box.h"
#include "toolkit/message_box.h"
#include "toolkit/skin.h"
#include "toolkit/slide_switch.h"
#include "toolkit/slider.h"

namespace vantrel {
namespace {

// Pixels close to a colour (antialiased edges blend) inside a box.
int CountNear(const QImage& picture, const QRect& box, std::uint32_t argb, int tolerance = 24) {
    const QColor want = ColorFromArgb(argb);
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            count += std::abs(c.red() - want.red()) <= tolerance &&
                     std::abs(c.green() - want.green()) <= tolerance &&
                     std::abs(c.blue() - want.blue()) <= tolerance;
        }
    }
    return count;
}

QImage Picture(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(FormControls, SlideSwitchOnlyReportsClicksAndDrawsItsState) {
    QWidget host;
    SlideSwitch toggle(&host);
    EXPECT_EQ(toggle.size(), QSize(56, 24));
    QSignalSpy clicks(&toggle, &QAbstractButton::clicked);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(toggle.State(), 0);

    const QImage off = Picture(toggle);
    toggle.SetState(1);
    EXPECT_TRUE(toggle.On());
    const QImage on = Picture(toggle);
    // On: the accent track and a white knob at the right end; off: no accent at all.
    EXPECT_EQ(CountNear(off, off.rect(), skin::kAccent), 0);
    EXPECT_GT(CountNear(on, on.rect(), skin::kAccent), 300);
    EXPECT_GT(CountNear(on, QRect(36, 4, 18, 16), 0xFFFFFFFF, 8), 60);
    EXPECT_EQ(CountNear(on, QRect(2, 4, 18, 16), 0xFFFFFFFF, 8), 0);
    toggle.SetState(7);
    EXPECT_EQ(toggle.State(), 1);
}

TEST(FormControls, SliderMovesOnlyByTheUserAndFillsUpToItsKnob) {
    QWidget host;
    Slider slider(&host);
    slider.resize(216, 16);
    slider.SetRange(0, 100);
    QSignalSpy moved(&slider, &Slider::PositionChanged);
    slider.SetPosition(140);
    EXPECT_EQ(slider.Position(), 100);
    slider.SetPosition(20);
    EXPECT_EQ(moved.count(), 0);
    const int accentAt20 = CountNear(Picture(slider), slider.rect(), skin::kAccent);

    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(108, 8));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.front().front().toInt(), 50);
    QTest::keyClick(&slider, Qt::Key_Right);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.Position(), 52);
    QTest::keyClick(&slider, Qt::Key_End);
    QTest::keyClick(&slider, Qt::Key_Right);  // already at the end: no event
    EXPECT_EQ(moved.count(), 4);
    EXPECT_EQ(slider.Position(), 100);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(-30, 8));
    EXPECT_EQ(slider.Position(), 0);

    slider.SetPosition(80);
    EXPECT_GT(CountNear(Picture(slider), slider.rect(), skin::kAccent), 3 * accentAt20);
}

TEST(FormControls, EditBoxesReportClicksAndEditsAndLookDisabled) {
    QWidget host;
    host.resize(300, 100);
    EditBox box(QStringLiteral("请输入关键词"), &host);
    box.setGeometry(0, 0, 152, 32);
    MinutesBox minutes(QStringLiteral("10"), &host);
    minutes.setGeometry(0, 40, 52, 32);
    host.show();
    EXPECT_EQ(box.text(), QStringLiteral("请输入关键词"));
    EXPECT_TRUE(box.placeholderText().isEmpty());

    QSignalSpy clicked(&box, &EditBox::Clicked);
    QSignalSpy edited(&box, &QLineEdit::textEdited);
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    box.setText(QStringLiteral("abc"));
    EXPECT_EQ(edited.count(), 0);
    QTest::keyClicks(&box, QStringLiteral("d"));
    EXPECT_EQ(edited.count(), 1);

    const QImage enabled = Picture(box);
    box.setEnabled(false);
    const QImage disabled = Picture(box);
    EXPECT_NE(enabled, disabled);
    // A disabled box takes the window's colour, its text the muted one.
    EXPECT_GT(CountNear(disabled, QRect(2, 2, 4, 28), skin::kWindow, 4), 100);
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);

    minutes.clear();
    QTest::keyClicks(&minutes, QStringLiteral("1a2-345678"));
    EXPECT_EQ(minutes.text(), QStringLiteral("12345"));
}

TEST(FormControls, GroupBoxDrawsItsCaptionAndFrame) {
    QWidget host;
    GroupBox group(QStringLiteral("自动刷新"), &host);
    group.resize(328, 64);
    EXPECT_EQ(group.Caption(), QStringLiteral("自动刷新"));
    const QImage first = Picture(group);
    group.SetCaption(QStringLiteral("关键词监控(运行中)"));
    const QImage second = Picture(group);
    EXPECT_NE(first, second);
    // The caption sits top left in light text; the frame below is the panel colour.
    EXPECT_GT(CountNear(second, QRect(8, 0, 100, 16), skin::kText, 40), 20);
    EXPECT_GT(CountNear(second, QRect(20, 30, 280, 20), skin::kPanel, 2), 5000);
}

TEST(FormControls, MessageBoxHookReadsAndAnswersTheShownBox) {
    QString title;
    QString text;
    bool shown = false;
    SetMessageBoxHook([&](MessageBox& box) {
        title = box.Title();
        text = box.Text();
        shown = box.isVisible();
        box.findChild<QAbstractButton*>()->click();
    });
    ShowMessageBox(QStringLiteral("请选择保存目录在开启！"));
    SetMessageBoxHook({});
    EXPECT_TRUE(shown);
    EXPECT_EQ(title, QStringLiteral("信息："));
    EXPECT_EQ(text, QStringLiteral("请选择保存目录在开启！"));
}

}  // namespace
}  // namespace vantrel
