#include "toolkit/message_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "toolkit/caption_button.h"
#include "toolkit/skin.h"

namespace vantrel {

namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

}  // namespace

MessageBox::MessageBox(const QString& text, bool asking)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("MessageBox"));
    setWindowTitle(QStringLiteral("信息："));
    setModal(true);
    setMinimumWidth(260);

    title_ = new QLabel(windowTitle(), this);
    title_->setObjectName(QStringLiteral("MessageBoxTitle"));
    title_->setFont(SkinFont(13, true));
    text_ = new QLabel(text, this);
    text_->setObjectName(QStringLiteral("MessageBoxText"));
    text_->setFont(SkinFont(13));
    text_->setWordWrap(true);
    text_->setMaximumWidth(360);
    for (QLabel* label : {title_, text_}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ColorFromArgb(skin::kText));
        label->setPalette(palette);
    }

    auto* ok = new CaptionButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("MessageBoxOk"));
    ok->SetSelected(true);
    ok->setFixedSize(76, 28);
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (asking) {
        auto* cancel = new CaptionButton(QStringLiteral("取消"), this);
        cancel->setObjectName(QStringLiteral("MessageBoxCancel"));
        cancel->setFixedSize(76, 28);
        connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
        buttons->addWidget(cancel);
    }
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(12);
    layout->addWidget(title_);
    layout->addWidget(text_);
    layout->addLayout(buttons);
}

QString MessageBox::Title() const {
    return title_->text();
}

QString MessageBox::Text() const {
    return text_->text();
}

void MessageBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColorFromArgb(skin::kWindow));
    painter.fillRect(QRect(0, 0, width(), 3), ColorFromArgb(skin::kAccent));
    painter.setPen(ColorFromArgb(skin::kWindowEdge));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

namespace {

int RunBox(MessageBox& box) {
    if (Hook()) QTimer::singleShot(0, &box, [&box] { Hook()(box); });
    return box.exec();
}

}  // namespace

void ShowMessageBox(const QString& text) {
    MessageBox box(text);
    RunBox(box);
}

bool AskMessageBox(const QString& text) {
    MessageBox box(text, true);
    return RunBox(box) == QDialog::Accepted;
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

}  // namespace vantrel
