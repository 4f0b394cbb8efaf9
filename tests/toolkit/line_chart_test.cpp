#include "toolkit/line_chart.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/qt_app.h"
#include "toolkit/list_view.h"
#include "toolkit/skin.h"

namespace vantrel {
namespace {

constexpr QRgb kRed = 0xFFE5484D;

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

// Whether the colour is drawn anywhere in a column of the plot.
bool ColumnHas(const QImage& picture, const QRectF& area, int x, QRgb color) {
    for (int y = static_cast<int>(area.top()); y <= area.bottom(); ++y) {
        if (Near(picture.pixel(x, y), color)) return true;
    }
    return false;
}

// The pixel a point of the plot falls in: a line two wide covers it whole.
QPoint Pixel(const LineChart& chart, int ms, int value) {
    const QPointF at = chart.PlotPoint(ms, value);
    return {static_cast<int>(at.x()), static_cast<int>(at.y())};
}

TEST(LineChart, RanksRunDownwardAndGapsStayEmpty) {
    LineChart chart(nullptr);
    chart.resize(400, 220);
    chart.SetTimeRange(0, 40'000);
    EXPECT_EQ(chart.TopValue(), 1);
    EXPECT_EQ(chart.BottomValue(), 10);  // room below rank 1 even with nothing drawn
    // Rank 3 for ten seconds, off for ten, back at 37, and one moment at 12.
    chart.SetLines({{QStringLiteral("微博"),
                     QColor::fromRgb(kRed),
                     {QPolygonF({{0, 3}, {10'000, 3}}), QPolygonF({{20'000, 37}, {30'000, 37}}),
                      QPolygonF({{35'000, 12}})}}});
    EXPECT_EQ(chart.TopValue(), 1);
    EXPECT_EQ(chart.BottomValue(), 40);
    const QRectF area = chart.PlotArea();
    EXPECT_DOUBLE_EQ(chart.PlotPoint(0, 1).y(), area.top());
    EXPECT_DOUBLE_EQ(chart.PlotPoint(40'000, 40).y(), area.bottom());
    EXPECT_DOUBLE_EQ(chart.PlotPoint(40'000, 40).x(), area.right());
    EXPECT_LT(chart.PlotPoint(0, 3).y(), chart.PlotPoint(0, 37).y());

    const QImage picture = chart.grab().toImage();
    const auto x = [&](int ms) { return static_cast<int>(chart.PlotPoint(ms, 1).x()); };
    EXPECT_TRUE(Near(picture.pixel(Pixel(chart, 5'000, 3)), kRed));
    EXPECT_TRUE(Near(picture.pixel(Pixel(chart, 25'000, 37)), kRed));
    EXPECT_FALSE(ColumnHas(picture, area, x(15'000), kRed));
    EXPECT_TRUE(Near(picture.pixel(Pixel(chart, 35'000, 12)), kRed));
    EXPECT_FALSE(ColumnHas(picture, area, x(38'000), kRed));

    // The rank numbers stand right-aligned in the margin, clear of the plot.
    const int rankRow = Pixel(chart, 0, 1).y();
    int lastInk = -1;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = rankRow - 6; y <= rankRow + 6; ++y)
            if (Near(picture.pixel(x, y), skin::kMutedText)) lastInk = x;
    }
    EXPECT_GE(lastInk, static_cast<int>(area.left()) - 12);
    EXPECT_LT(lastInk, static_cast<int>(area.left()) - 4);

    // The pinned row's 0 fits above rank 1; nothing left shows the empty text.
    chart.SetLines({{QString(), QColor::fromRgb(kRed), {QPolygonF({{0, 0}, {10'000, 2}})}}});
    EXPECT_EQ(chart.TopValue(), 0);
    EXPECT_EQ(chart.BottomValue(), 10);
    chart.SetLines({});
    chart.SetEmptyText(QStringLiteral("没有记录"));
    const QImage empty = chart.grab().toImage();
    EXPECT_FALSE(ColumnHas(empty, area, x(5'000), kRed));
}

TEST(ListViewHeader, AClickOnAColumnTitleNamesTheColumn) {
    ListModel model;
    model.InsertColumn("a", 100);
    model.InsertColumn("hidden", 0);
    model.InsertColumn("b", 60);
    model.InsertItem();
    ListView view(nullptr);
    view.resize(200, 120);
    view.SetModel(&model);
    QSignalSpy clicked(&view, &ListView::HeaderClicked);
    QSignalSpy activated(&view, &ListView::RowActivated);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(120, 10));
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(180, 10));  // past the columns
    QTest::mouseClick(&view, Qt::LeftButton, {}, view.RowRect(0).center());
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_EQ(clicked[0][0].toInt(), 2);
    EXPECT_EQ(clicked[1][0].toInt(), 0);
    EXPECT_EQ(activated.count(), 1);
    view.SetHeaderVisible(false);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_EQ(clicked.count(), 2);
}

}  // namespace
}  // namespace vantrel
