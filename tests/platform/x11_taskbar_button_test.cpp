#include "platform/x11_taskbar_button.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/ewmh.h"
#include "support/qt_app.h"

namespace vantrel {
namespace {

TEST(X11TaskbarButton, TheStateSetBeforeTheWindowShowsSurvivesItsMappingAndChangesAfter) {
    if (!ewmh::Connection()) GTEST_SKIP() << "needs an X display";
    TaskbarButton& button = X11TaskbarButton();
    QWidget window;
    window.resize(200, 100);
    EXPECT_TRUE(button.Shown(window));

    // Start-up sets the state before the window is first shown.
    button.SetShown(window, false);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_FALSE(button.Shown(window));

    button.SetShown(window, true);
    EXPECT_TRUE(button.Shown(window));
    button.SetShown(window, false);
    EXPECT_FALSE(button.Shown(window));
}

}  // namespace
}  // namespace vantrel
