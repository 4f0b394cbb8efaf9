#include "toolkit/skin_window.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

#include "toolkit/label.h"
#include "toolkit/skin.h"
#include "toolkit/title_button.h"

namespace vantrel {

namespace {

// An owned window is a dialog transient for its owner: the window manager
// keeps it above the owner, even an always-on-top one that is activated. A
// plain window with a parent would tell the window manager nothing.
Qt::WindowFlags WindowKind(const QWidget* owner) {
    return (owner ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint;
}

}  // namespace

SkinWindow::SkinWindow(QWidget* owner) : QWidget(owner, WindowKind(owner)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(SkinFont(13));
    setMouseTracking(true);
}

void AddTitleRow(QWidget& window, const QString& title, const char* titleName) {
    auto* label = new Label(title, &window);
    label->setObjectName(QString::fromUtf8(titleName));
    label->setGeometry(15, 24, std::max(60, label->fontMetrics().horizontalAdvance(title) + 4), 21);
    label->setFont(SkinFont(15, true));
    label->SetTextColor(skin::kText);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* close = new TitleButton(TitleButton::Glyph::kClose, &window);
    close->setObjectName(QStringLiteral("按钮EX_关闭"));
    close->setGeometry(window.width() - 35, 20, 16, 16);
    QObject::connect(close, &QAbstractButton::clicked, &window, &QWidget::close);
}

void ShowInScreenCentre(QWidget& window, const QWidget& near) {
    const QScreen* screen = near.screen() ? near.screen() : QGuiApplication::primaryScreen();
    if (screen) {
        window.move(screen->availableGeometry().center() -
                    QPoint(window.width(), window.height()) / 2);
    }
    window.show();
    window.activateWindow();
}

void SkinWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    QLinearGradient shade(0, 0, 0, 56);
    shade.setColorAt(0, ColorFromArgb(0xFF23262F));
    shade.setColorAt(1, ColorFromArgb(skin::kWindow));
    painter.fillRect(all, ColorFromArgb(skin::kWindow));
    painter.fillRect(QRect(0, 0, width(), 56), shade);
    painter.setPen(ColorFromArgb(skin::kWindowEdge));
    painter.drawRect(all.adjusted(0, 0, -1, -1));
}

void SkinWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void SkinWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return QWidget::mouseMoveEvent(event);
    move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
}

void SkinWindow::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void SkinWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit DoubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

void SkinWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit Resized(width(), height());
}

FrameHost::FrameHost(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FrameHost::SetOpacity(int opacity) {
    opacity_ = std::clamp(opacity, 0, 255);
    window()->setWindowOpacity(OpacityFraction(opacity_));
}

void FrameHost::paintEvent(QPaintEvent*) {
    // Three rising bars: the list of rankings in miniature.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = std::min(width(), height()) / 24.0;
    const QColor accent = ColorFromArgb(skin::kAccent);
    const qreal heights[] = {4, 7, 10};
    for (int i = 0; i < 3; ++i) {
        const QRectF bar(unit * (3 + 4 * i), unit * (14 - heights[i]), unit * 2.5,
                         unit * heights[i]);
        QColor shade = accent;
        shade.setAlphaF(0.55 + 0.2 * i);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawRoundedRect(bar, unit, unit);
    }
}

}  // namespace vantrel
