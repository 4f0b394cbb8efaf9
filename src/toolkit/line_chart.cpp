#include "toolkit/line_chart.h"

#include <QDateTime>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "toolkit/skin.h"

namespace vantrel {
namespace {

constexpr qreal kLeft = 36;
constexpr qreal kRight = 14;
constexpr qreal kTop = 30;
constexpr qreal kBottom = 24;
constexpr qint64 kHourMs = 3600 * 1000;

// A step that puts at most about five labels up the side.
int ValueStep(int span) {
    for (int step : {1, 5, 10, 20, 25, 50, 100}) {
        if (span / step <= 5) return step;
    }
    return 200;
}

// Hours between time labels, so that at most about eight fit along the bottom.
int HourStep(qint64 spanMs) {
    const qint64 hours = std::max<qint64>(1, spanMs / kHourMs);
    for (int step : {1, 2, 3, 4, 6, 12}) {
        if (hours / step <= 8) return step;
    }
    return 24;
}

}  // namespace

LineChart::LineChart(QWidget* parent) : QWidget(parent) {
    setFont(SkinFont(11));
}

void LineChart::SetTimeRange(qint64 fromMs, qint64 toMs) {
    fromMs_ = fromMs;
    toMs_ = std::max(toMs, fromMs + 1);
    update();
}

void LineChart::SetLines(std::vector<ChartLine> lines) {
    lines_ = std::move(lines);
    FitValues();
    update();
}

void LineChart::SetEmptyText(const QString& text) {
    emptyText_ = text;
    update();
}

void LineChart::FitValues() {
    double low = 1;
    double high = 1;
    for (const ChartLine& line : lines_) {
        for (const QPolygonF& piece : line.pieces) {
            for (const QPointF& point : piece) {
                low = std::min(low, point.y());
                high = std::max(high, point.y());
            }
        }
    }
    top_ = static_cast<int>(std::floor(low));
    // Never so short that one rank fills it, and rounded up to a whole step.
    const int lowest = std::max(top_ + 9, static_cast<int>(std::ceil(high)));
    const int step = ValueStep(lowest - top_);
    bottom_ = (lowest + step - 1) / step * step;
}

QRectF LineChart::PlotArea() const {
    return QRectF(kLeft, kTop, std::max(1.0, width() - kLeft - kRight),
                  std::max(1.0, height() - kTop - kBottom));
}

QPointF LineChart::PlotPoint(double ms, double value) const {
    const QRectF area = PlotArea();
    const double x = (ms - fromMs_) / static_cast<double>(toMs_ - fromMs_);
    const double y = (value - top_) / static_cast<double>(std::max(1, bottom_ - top_));
    return {area.left() + x * area.width(), area.top() + y * area.height()};
}

void LineChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColorFromArgb(skin::kWindow));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColorFromArgb(skin::kPanel));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    const QRectF area = PlotArea();
    PaintGrid(painter, area);
    if (lines_.empty()) {
        painter.setPen(ColorFromArgb(skin::kMutedText));
        painter.setFont(SkinFont(13));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
        return;
    }
    PaintLines(painter, area);
    PaintLegend(painter, area);
}

void LineChart::PaintGrid(QPainter& painter, const QRectF& area) const {
    painter.setFont(font());
    const QColor grid = ColorFromArgb(skin::kLine);
    const QColor label = ColorFromArgb(skin::kMutedText);
    const int step = ValueStep(bottom_ - top_);
    std::vector<int> values{top_};
    for (int v = (top_ / step + 1) * step; v <= bottom_; v += step) {
        // A label just under the top one would run into it.
        if (v - top_ > step / 2.0) values.push_back(v);
    }
    for (int v : values) {
        const qreal y = PlotPoint(fromMs_, v).y();
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(label);
        painter.drawText(QRectF(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(v));
    }
    // Labels on whole local hours that are a multiple of the step.
    const int hours = HourStep(toMs_ - fromMs_);
    QDateTime tick = QDateTime::fromMSecsSinceEpoch(fromMs_);
    tick.setTime(QTime(tick.time().hour(), 0));
    while (tick.toMSecsSinceEpoch() < fromMs_ || tick.time().hour() % hours != 0)
        tick = tick.addSecs(3600);
    for (; tick.toMSecsSinceEpoch() <= toMs_; tick = tick.addSecs(3600 * hours)) {
        const qreal x = PlotPoint(tick.toMSecsSinceEpoch(), top_).x();
        painter.setPen(QPen(grid, 1, Qt::DotLine));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(label);
        painter.drawText(QRectF(x - 24, area.bottom() + 4, 48, kBottom - 6), Qt::AlignCenter,
                         tick.toString(QStringLiteral("HH:mm")));
    }
}

void LineChart::PaintLines(QPainter& painter, const QRectF& area) const {
    painter.save();
    painter.setClipRect(area.adjusted(-4, -4, 4, 4));
    for (const ChartLine& line : lines_) {
        painter.setPen(QPen(line.color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        for (const QPolygonF& piece : line.pieces) {
            QPolygonF drawn;
            for (const QPointF& point : piece)
                drawn << PlotPoint(point.x(), point.y());
            if (drawn.boundingRect().width() < 1 && drawn.boundingRect().height() < 1) {
                // One moment on the board: a dot, or it would not show.
                painter.setPen(Qt::NoPen);
                painter.setBrush(line.color);
                if (!drawn.isEmpty()) painter.drawEllipse(drawn.first(), 3, 3);
                painter.setPen(QPen(line.color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                painter.setBrush(Qt::NoBrush);
                continue;
            }
            painter.drawPolyline(drawn);
        }
    }
    painter.restore();
}

void LineChart::PaintLegend(QPainter& painter, const QRectF& area) const {
    painter.setFont(font());
    qreal x = area.left();
    for (const ChartLine& line : lines_) {
        const qreal y = kTop / 2;
        painter.setPen(QPen(line.color, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(x, y), QPointF(x + 14, y));
        painter.setPen(ColorFromArgb(skin::kText));
        const qreal textWidth = painter.fontMetrics().horizontalAdvance(line.name);
        painter.drawText(QRectF(x + 19, y - 8, textWidth + 2, 16), Qt::AlignLeft | Qt::AlignVCenter,
                         line.name);
        x += 19 + textWidth + 16;
    }
}

}  // namespace vantrel
