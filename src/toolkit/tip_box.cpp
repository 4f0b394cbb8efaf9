#include "toolkit/tip_box.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "toolkit/skin.h"

namespace vantrel {
namespace {

constexpr int kPadX = 9;
constexpr int kPadY = 5;

class TipBox : public QWidget {
  public:
    const QString& Text() const { return options_.text; }

    explicit TipBox(const TipOptions& options)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
          options_(options) {
        setObjectName(QStringLiteral("TipBox"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose);
        setFont(options.font.value_or(SkinFont(12)));
        setWindowOpacity(OpacityFraction(options.opacity));
        resize(TextBounds().size() + QSize(2 * kPadX, 2 * kPadY));
        if (options.displayMs > 0) {
            QTimer::singleShot(options.displayMs, this, &QWidget::close);
        }
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), ColorFromArgb(options_.background));
        if (options_.borderColor && options_.borderWidth > 0) {
            QPen pen(ColorFromArgb(*options_.borderColor), options_.borderWidth);
            pen.setJoinStyle(Qt::MiterJoin);
            painter.setPen(pen);
            const qreal half = options_.borderWidth / 2.0;
            painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
        }
        painter.setPen(ColorFromArgb(options_.textColor));
        painter.drawText(rect().adjusted(kPadX, kPadY, -kPadX, -kPadY), TextFlags(), options_.text);
    }

  private:
    int TextFlags() const {
        return Qt::AlignLeft | Qt::AlignVCenter | (options_.maxWidth ? Qt::TextWordWrap : 0);
    }

    QRect TextBounds() const {
        const int limit = options_.maxWidth ? std::max(1, *options_.maxWidth - 2 * kPadX) : 10000;
        return fontMetrics().boundingRect(QRect(0, 0, limit, 10000), TextFlags(), options_.text);
    }

    TipOptions options_;
};

QPointer<TipBox>& Current() {
    static QPointer<TipBox> current;
    return current;
}

QPoint PlaceNear(const QPoint& pointer, const QSize& size, TipPosition position) {
    QPoint at = position == TipPosition::kAbovePointer
                    ? pointer + QPoint(-size.width() / 2, -size.height() - 8)
                    : pointer + QPoint(12, 18);
    // Keep the whole box on the screen the pointer is on.
    if (const QScreen* screen = QGuiApplication::screenAt(pointer)) {
        const QRect area = screen->availableGeometry();
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        at.setY(
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    }
    return at;
}

}  // namespace

void PopUpTipBox(const TipOptions& options) {
    CloseTipBox();
    auto* box = new TipBox(options);
    box->move(PlaceNear(QCursor::pos(), box->size(), options.position));
    box->show();
    Current() = box;
}

void CloseTipBox() {
    if (TipBox* box = Current()) box->close();
    Current() = nullptr;
}

QWidget* ShownTipBox() {
    TipBox* box = Current();
    return box && box->isVisible() ? box : nullptr;
}

QString ShownTipText() {
    TipBox* box = Current();
    return box && box->isVisible() ? box->Text() : QString();
}

}  // namespace vantrel
