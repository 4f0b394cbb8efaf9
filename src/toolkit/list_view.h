#pragma once

#include <QImage>
#include <QWidget>

#include <map>
#include <vector>

#include "model/list_model.h"

namespace vantrel {

// Draws a ListModel as a skinned multi-column list: a title row, then the
// model's rows with their cell texts, colours and visible image elements.
// Columns of width 0 are not drawn; a cell's badge sits at its right end and
// its text gives way to it. The wheel scrolls by whole rows.
class ListView : public QWidget {
    Q_OBJECT
  public:
    explicit ListView(QWidget* parent);
    ~ListView() override;

    // The view follows the model's changes until another model is set or the
    // view is gone; the model must outlive the view or be replaced first.
    void SetModel(ListModel* model);
    const ListModel* Model() const { return model_; }
    // Pictures of an image group, by element index.
    void SetGroupImages(ImageGroup group, std::vector<QImage> images);
    void SetOpacity(int opacity);
    int Opacity() const { return opacity_; }
    void SetHeaderVisible(bool visible);
    // Space kept free below the rows, for controls that sit over the list.
    void SetFooterHeight(int height);

    // Row under a point of the widget, or -1.
    int RowAt(QPoint point) const;
    // Where a row is drawn now (empty when it is scrolled out of sight or
    // does not fit whole).
    QRect RowRect(int row) const;
    QRect CellRect(int row, int column) const;
    int FirstVisibleRow() const { return topRow_; }
    // The row under the pointer, -1 when none: what the keyboard acts on.
    int HoveredRow() const { return hoverRow_; }
    void ScrollToRow(int row);

  signals:
    // The pointer moved onto another row.
    void RowHovered(int row);
    // The pointer left the rows (onto the title row, the footer, or out).
    void RowsLeft();
    void RowActivated(int row);
    // A click on the title row, over a column's title.
    void HeaderClicked(int column);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void OnModelChange(const ListChange& change);
    void DetachModel();
    QRect RowsArea() const;
    int ColumnLeft(int column) const;
    int ColumnAt(int x) const;
    int MaxTopRow() const;
    void SetHoverRow(int row);
    bool ContinuesClickSequence(const QMouseEvent& event, int row) const;
    void PaintHeader(QPainter& painter) const;
    void PaintRow(QPainter& painter, int row) const;
    void PaintCell(QPainter& painter, int row, int column, const QRect& box) const;
    // A cell's badge at the right end of `box`; returns the badge's left edge.
    int PaintBadge(QPainter& painter, const ListCell& cell, const QRect& box) const;
    void PaintScrollBar(QPainter& painter) const;

    ListModel* model_ = nullptr;
    int listenerId_ = 0;
    std::map<ImageGroup, std::vector<QImage>> images_;
    int opacity_ = 255;
    bool headerVisible_ = true;
    int footerHeight_ = 0;
    int topRow_ = 0;
    int hoverRow_ = -1;
    int pressedRow_ = -1;
    int lastPressRow_ = -1;
    quint64 lastPressTime_ = 0;
};

}  // namespace vantrel
