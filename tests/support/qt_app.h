#pragma once

#include <QApplication>
#include <QEnterEvent>

#include <gtest/gtest.h>

#include <memory>

namespace vantrel::test {

// The application object of a widget test binary: made before the first test
// and destroyed after the last, inside main, where Qt can still tidy up.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[14] = "vantrel-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The pointer entering and leaving a control, as the platform reports them.
inline void SendEnter(QWidget* widget) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(widget, &enter);
}

inline void SendLeave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

}  // namespace vantrel::test
