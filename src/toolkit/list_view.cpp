#include "toolkit/list_view.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QWheelEvent>

#include <algorithm>

#include "toolkit/core_bridge.h"
#include "toolkit/skin.h"

namespace vantrel {
namespace {

constexpr int kHeaderHeight = 26;
constexpr int kTextPad = 6;
constexpr int kScrollBarWidth = 3;
constexpr int kBadgeGap = 4;

}  // namespace

ListView::ListView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFont(SkinFont(13));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ListView::~ListView() {
    DetachModel();
}

void ListView::SetModel(ListModel* model) {
    DetachModel();
    model_ = model;
    if (model_) {
        listenerId_ =
            model_->AddListener([this](const ListChange& change) { OnModelChange(change); });
    }
    topRow_ = 0;
    hoverRow_ = -1;
    update();
}

void ListView::DetachModel() {
    if (model_) model_->RemoveListener(listenerId_);
    model_ = nullptr;
    listenerId_ = 0;
}

void ListView::SetGroupImages(ImageGroup group, std::vector<QImage> images) {
    images_[group] = std::move(images);
    update();
}

void ListView::SetOpacity(int opacity) {
    opacity_ = std::clamp(opacity, 0, 255);
    update();
}

void ListView::SetHeaderVisible(bool visible) {
    headerVisible_ = visible;
    update();
}

void ListView::SetFooterHeight(int height) {
    footerHeight_ = std::max(0, height);
    update();
}

void ListView::OnModelChange(const ListChange& change) {
    using Kind = ListChange::Kind;
    if (change.kind == Kind::kRowsRemoved || change.kind == Kind::kRowsInserted) {
        topRow_ = std::clamp(topRow_, 0, MaxTopRow());
        // A row taken away under the pointer is left like any other: the cursor
        // and whoever listens for the leave must not keep its hover state.
        if (hoverRow_ >= (model_ ? model_->ItemCount() : 0)) SetHoverRow(-1);
    }
    if (change.kind == Kind::kCellChanged) {
        update(RowRect(change.first));
    } else if (change.kind != Kind::kRowsAboutToBeInserted &&
               change.kind != Kind::kRowsAboutToBeRemoved) {
        update();
    }
}

QRect ListView::RowsArea() const {
    const int top = headerVisible_ ? kHeaderHeight : 0;
    return QRect(0, top, width(), std::max(0, height() - top - footerHeight_));
}

int ListView::ColumnAt(int x) const {
    for (int c = 0; model_ && c < model_->ColumnCount(); ++c) {
        const int w = model_->Column(c).width;
        if (w > 0 && x >= ColumnLeft(c) && x < ColumnLeft(c) + w) return c;
    }
    return -1;
}

int ListView::ColumnLeft(int column) const {
    int left = 0;
    for (int c = 0; c < column && model_; ++c)
        left += std::max(0, model_->Column(c).width);
    return left;
}

QRect ListView::RowRect(int row) const {
    if (!model_ || row < topRow_ || row >= model_->ItemCount()) return {};
    const QRect area = RowsArea();
    int top = area.top();
    for (int r = topRow_; r < row; ++r)
        top += model_->Row(r).height;
    const QRect box(area.left(), top, area.width(), model_->Row(row).height);
    // Only whole rows are drawn: a half row would run into what sits below the list.
    return area.contains(box) ? box : QRect();
}

QRect ListView::CellRect(int row, int column) const {
    const QRect rowBox = RowRect(row);
    if (rowBox.isEmpty() || column < 0 || column >= model_->ColumnCount()) return {};
    const int w = model_->Column(column).width;
    if (w <= 0) return {};
    return QRect(ColumnLeft(column), rowBox.top(), w, rowBox.height()).intersected(rowBox);
}

int ListView::RowAt(QPoint point) const {
    if (!model_ || !RowsArea().contains(point)) return -1;
    for (int r = topRow_; r < model_->ItemCount(); ++r) {
        const QRect box = RowRect(r);
        if (box.isEmpty()) break;
        if (box.contains(point)) return r;
    }
    return -1;
}

int ListView::MaxTopRow() const {
    if (!model_) return 0;
    // The last row sits at the bottom of the area when the list is scrolled to its end.
    int room = RowsArea().height();
    int row = model_->ItemCount();
    while (row > 0 && room >= model_->Row(row - 1).height)
        room -= model_->Row(--row).height;
    return row;
}

void ListView::ScrollToRow(int row) {
    const int top = std::clamp(row, 0, MaxTopRow());
    if (top == topRow_) return;
    topRow_ = top;
    update();
}

void ListView::SetHoverRow(int row) {
    if (row == hoverRow_) return;
    const int old = hoverRow_;
    hoverRow_ = row;
    update(RowRect(old));
    update(RowRect(row));
    setCursor(row >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (row >= 0) {
        emit RowHovered(row);
    } else {
        emit RowsLeft();
    }
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
    SetHoverRow(RowAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

bool ListView::ContinuesClickSequence(const QMouseEvent& event, int row) const {
    if (event.type() == QEvent::MouseButtonDblClick) return true;
    // A third click comes as a plain press; its time tells it apart.
    const auto interval =
        static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    return row == lastPressRow_ && lastPressTime_ != 0 && event.timestamp() >= lastPressTime_ &&
           event.timestamp() - lastPressTime_ < interval;
}

void ListView::mousePressEvent(QMouseEvent* event) {
    pressedRow_ = -1;
    if (event->button() == Qt::LeftButton) {
        const int row = RowAt(event->position().toPoint());
        // One activation per click sequence: the further clicks of a double
        // click would open the same link again.
        if (!ContinuesClickSequence(*event, row)) pressedRow_ = row;
        lastPressRow_ = row;
        lastPressTime_ = event->timestamp();
        const QPoint at = event->position().toPoint();
        if (headerVisible_ && at.y() >= 0 && at.y() < kHeaderHeight) {
            const int column = ColumnAt(at.x());
            if (column >= 0) emit HeaderClicked(column);
        }
    }
    QWidget::mousePressEvent(event);
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    const int row = RowAt(event->position().toPoint());
    // A press that slid to another row before the release activates nothing.
    if (event->button() == Qt::LeftButton && row >= 0 && row == pressedRow_) {
        emit RowActivated(row);
    }
    pressedRow_ = -1;
    QWidget::mouseReleaseEvent(event);
}

void ListView::leaveEvent(QEvent* event) {
    SetHoverRow(-1);
    QWidget::leaveEvent(event);
}

void ListView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) {
        ScrollToRow(topRow_ - steps * 3);
        SetHoverRow(RowAt(event->position().toPoint()));
    }
    event->accept();
}

void ListView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    topRow_ = std::clamp(topRow_, 0, MaxTopRow());
}

void ListView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The parent shows through where the list is not opaque.
    painter.fillRect(rect(), ColorFromArgb(skin::kWindow));
    painter.setOpacity(OpacityFraction(opacity_));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColorFromArgb(skin::kPanel));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (headerVisible_) PaintHeader(painter);
    if (model_) {
        painter.save();
        painter.setClipRect(RowsArea());
        for (int r = topRow_; r < model_->ItemCount(); ++r) {
            if (RowRect(r).isEmpty()) break;
            PaintRow(painter, r);
        }
        painter.restore();
    }
    PaintScrollBar(painter);
}

void ListView::PaintHeader(QPainter& painter) const {
    const QRect bar(0, 0, width(), kHeaderHeight);
    painter.setPen(ColorFromArgb(skin::kLine));
    painter.drawLine(bar.bottomLeft() + QPoint(8, 0), bar.bottomRight() - QPoint(8, 0));
    if (!model_) return;
    QFont small = SkinFont(12);
    painter.setFont(small);
    painter.setPen(ColorFromArgb(skin::kMutedText));
    for (int c = 0; c < model_->ColumnCount(); ++c) {
        const ListColumn& column = model_->Column(c);
        if (column.width <= 0) continue;
        const QRect box(ColumnLeft(c), 0, column.width, kHeaderHeight);
        const bool centred = column.images != ImageGroup::kNone;
        painter.drawText(box.adjusted(centred ? 0 : kTextPad, 0, 0, 0),
                         (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter,
                         QStringFromLocal(column.title));
    }
}

void ListView::PaintRow(QPainter& painter, int row) const {
    const QRect box = RowRect(row);
    if (row == hoverRow_) {
        painter.fillRect(box.adjusted(2, 0, -2, 0), ColorFromArgb(skin::kPanelHover));
    }
    painter.setPen(ColorFromArgb(0xFF272A34));
    painter.drawLine(box.left() + 8, box.bottom(), box.right() - 8, box.bottom());
    for (int c = 0; c < model_->ColumnCount(); ++c) {
        const QRect cell = CellRect(row, c);
        if (!cell.isEmpty()) PaintCell(painter, row, c, cell);
    }
}

void ListView::PaintCell(QPainter& painter, int row, int column, const QRect& box) const {
    const ListColumn& info = model_->Column(column);
    const ListCell& cell = model_->Row(row).cells.at(column);
    const bool centred = info.images != ImageGroup::kNone;
    if (centred) {
        const auto found = images_.find(info.images);
        for (int e = 0; found != images_.end() && e < static_cast<int>(found->second.size()); ++e) {
            if (!(cell.visibleElements & (1u << e))) continue;
            const QImage& picture = found->second[e];
            // In points: a picture for a denser screen covers the same cells.
            QSize size = picture.deviceIndependentSize().toSize();
            if (size.width() > box.width() || size.height() > box.height()) {
                size.scale(box.size() - QSize(2, 2), Qt::KeepAspectRatio);
            }
            const QRect target(box.center() - QPoint(size.width() / 2, size.height() / 2) +
                                   QPoint(box.width() % 2 ? 0 : 1, box.height() % 2 ? 0 : 1),
                               size);
            painter.drawImage(target, picture);
        }
    }
    QRect textBox = centred ? box : box.adjusted(kTextPad, 0, -kTextPad, 0);
    if (!cell.badge.empty()) textBox.setRight(PaintBadge(painter, cell, textBox) - kBadgeGap);
    if (cell.text.empty()) return;
    painter.setFont(font());
    painter.setPen(ColorFromArgb(cell.color));
    const QString text = painter.fontMetrics().elidedText(QStringFromLocal(cell.text),
                                                          Qt::ElideRight, textBox.width());
    painter.drawText(textBox, (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter,
                     text);
}

// Drawn as text, not a picture, so it stays sharp at any density.
int ListView::PaintBadge(QPainter& painter, const ListCell& cell, const QRect& box) const {
    QFont small = SkinFont(11, true);
    painter.setFont(small);
    const QString text = QStringFromLocal(cell.badge);
    const int w = painter.fontMetrics().horizontalAdvance(text);
    const QRect badge(box.right() - w + 1, box.top(), w, box.height());
    painter.setPen(ColorFromArgb(cell.badgeColor));
    painter.drawText(badge, Qt::AlignRight | Qt::AlignVCenter, text);
    return badge.left();
}

void ListView::PaintScrollBar(QPainter& painter) const {
    if (!model_ || model_->ItemCount() == 0 || MaxTopRow() == 0) return;
    const QRect area = RowsArea().adjusted(0, 4, 0, -4);
    const int rows = model_->ItemCount();
    const int shown = std::max(1, rows - MaxTopRow());
    const int length = std::max(16, area.height() * shown / rows);
    const int top = area.top() + (area.height() - length) * topRow_ / std::max(1, MaxTopRow());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColorFromArgb(0xFF3A3F4E));
    painter.drawRoundedRect(QRectF(width() - kScrollBarWidth - 2, top, kScrollBarWidth, length),
                            1.5, 1.5);
}

}  // namespace vantrel
