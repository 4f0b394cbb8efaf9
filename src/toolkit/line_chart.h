#pragma once

#include <QColor>
#include <QPolygonF>
#include <QString>
#include <QWidget>

#include <vector>

namespace vantrel {

// One line of a chart: its pieces are drawn apart, so the space between two
// pieces is a gap. x is a moment in milliseconds since the epoch, y a value.
struct ChartLine {
    QString name;  // in the legend
    QColor color;
    std::vector<QPolygonF> pieces;
};

// A line chart over a stretch of time in the skin: local clock times along
// the bottom, whole numbers up the side with the smallest at the top (ranks:
// first is highest), a legend of the lines' names, and a text of its own
// while there is nothing to draw. A piece of one point is drawn as a dot.
class LineChart : public QWidget {
    Q_OBJECT
  public:
    explicit LineChart(QWidget* parent);

    void SetTimeRange(qint64 fromMs, qint64 toMs);
    void SetLines(std::vector<ChartLine> lines);
    const std::vector<ChartLine>& Lines() const { return lines_; }
    void SetEmptyText(const QString& text);
    QString EmptyText() const { return emptyText_; }

    // The value at the top and at the bottom of the plot, from the lines.
    int TopValue() const { return top_; }
    int BottomValue() const { return bottom_; }
    // Where a moment and a value are drawn, in widget coordinates.
    QPointF PlotPoint(double ms, double value) const;
    QRectF PlotArea() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void FitValues();
    void PaintGrid(QPainter& painter, const QRectF& area) const;
    void PaintLines(QPainter& painter, const QRectF& area) const;
    void PaintLegend(QPainter& painter, const QRectF& area) const;

    std::vector<ChartLine> lines_;
    QString emptyText_;
    qint64 fromMs_ = 0;
    qint64 toMs_ = 1;
    int top_ = 1;
    int bottom_ = 10;
};

}  // namespace vantrel
