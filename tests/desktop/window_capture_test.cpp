#include "desktop/window_capture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "support/qt_app.h"

namespace vantrel {
namespace {

// A window with nothing to picture leaves the user's clipboard alone; one
// that shows puts its picture there at its own size.
TEST(WindowCapture, OnlyAPictureReplacesTheClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("kept");

    QWidget empty;
    empty.setFixedSize(0, 0);
    EXPECT_FALSE(CaptureWindowToClipboard(&empty));
    EXPECT_FALSE(CaptureWindowToClipboard(nullptr));
    EXPECT_EQ(clipboard->text(), "kept");
    EXPECT_FALSE(clipboard->mimeData()->hasImage());

    QWidget window;
    window.setFixedSize(120, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(CaptureWindowToClipboard(&window));
    const QImage picture = clipboard->image();
    EXPECT_EQ(picture.size() / window.devicePixelRatio(), QSize(120, 40));
}

}  // namespace
}  // namespace vantrel
