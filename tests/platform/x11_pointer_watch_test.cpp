#include "platform/x11_pointer_watch.h"

#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/qt_app.h"

namespace vantrel {
namespace {

void MovePointerTo(int x, int y) {
    const std::string command =
        "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
}

// Synthetic input, as test tools and remote desktops make it, sends no raw
// motion; the watch must still tell that the pointer moved when asked.
TEST(X11PointerWatch, SeesASyntheticMoveWhenAskedAndStopsWatching) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs X11";
    int reported = 0;
    X11PointerWatch watch([&] { ++reported; });
    ASSERT_TRUE(watch.Available());
    MovePointerTo(200, 300);

    watch.Watch();
    EXPECT_TRUE(watch.Watching());
    EXPECT_FALSE(watch.MovedSinceWatch());
    MovePointerTo(201, 300);
    EXPECT_TRUE(watch.MovedSinceWatch());

    watch.Stop();
    EXPECT_FALSE(watch.Watching());
    watch.Watch();  // a new watch starts from where the pointer is now
    EXPECT_FALSE(watch.MovedSinceWatch());
    EXPECT_EQ(reported, 0);
}

}  // namespace
}  // namespace vantrel
