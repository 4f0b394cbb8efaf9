#pragma once

#include <QDialog>

#include <functional>

class QLabel;

namespace vantrel {

// The skinned message box: the title "信息：", one text and one OK button,
// owned by no window.
class MessageBox : public QDialog {
    Q_OBJECT
  public:
    // `asking`: a "取消" button beside OK, which rejects the box.
    explicit MessageBox(const QString& text, bool asking = false);

    QString Title() const;
    QString Text() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QLabel* title_;
    QLabel* text_;
};

// Shows the box and waits until it is dismissed.
void ShowMessageBox(const QString& text);
// Shows the box with OK and "取消"; whether OK ended it.
bool AskMessageBox(const QString& text);

// While set, runs once each box is shown, inside its wait: how tests read a
// box and answer it (accept() or a click on its button ends the wait).
using MessageBoxHook = std::function<void(MessageBox& box)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace vantrel
