#include "toolkit/edit_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>

#include "toolkit/skin.h"

namespace vantrel {

namespace {

QString EditBoxStyle() {
    auto rgb = [](std::uint32_t argb) { return ColorFromArgb(argb).name(); };
    return QStringLiteral(
               "QLineEdit { background: %1; color: %2; border: 1px solid %3;"
               " border-radius: 4px; padding: 0 6px; selection-background-color: %4; }"
               "QLineEdit:focus { border-color: %4; }"
               "QLineEdit:disabled { background: %5; color: %6; border-color: %5; }")
        .arg(rgb(skin::kPanel), rgb(skin::kText), rgb(skin::kLine), rgb(skin::kAccent),
             rgb(skin::kWindow), rgb(skin::kMutedText));
}

}  // namespace

EditBox::EditBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setFont(SkinFont(13));
    setStyleSheet(EditBoxStyle());
    setFocusPolicy(Qt::ClickFocus);
}

void EditBox::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit Clicked();
}

FolderBox::FolderBox(const QString& text, QWidget* parent) : EditBox(text, parent) {
    setReadOnly(true);
    setCursor(Qt::PointingHandCursor);
    setToolTip(text);
    connect(this, &QLineEdit::textChanged, this, &QWidget::setToolTip);
}

QRect FolderBox::TextArea() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    // QLineEdit keeps two pixels beside the text inside its contents.
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, this)
        .adjusted(2, 0, -2, 0);
}

QString FolderBox::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, TextArea().width());
}

void FolderBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(TextArea(), static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter), ShownText());
}

MinutesBox::MinutesBox(const QString& text, QWidget* parent) : EditBox(text, parent) {
    setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));
    setAlignment(Qt::AlignCenter);
}

}  // namespace vantrel
