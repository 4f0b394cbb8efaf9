#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <unistd.h>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/list_actions.h"
#include "app/main_window.h"
#include "media/media_player.h"
#include "media/video_surface.h"
#include "net/pending_messages.h"
#include "sources/demo/demo_server.h"
#include "sources/service_hosts.h"
#include "viewer/video_viewer.h"
#include "viewer/video_window.h"

// Douyin row activation to the first video frame painted in the video
// window: the item and play requests, the avatar, the player opening the
// MP4 from the program's own demo server on 127.0.0.1, and the first frame
// drawn. Each round opens a new window, as a double-click on a row does
// when none is open.

namespace {

void OpenRowToFirstFrame(benchmark::State& state) {
    vantrel::DemoServer server;
    if (!server.Start() || !vantrel::SetServiceBase(server.Base())) {
        state.SkipWithError("no demo server");
        return;
    }
    const auto settings = std::filesystem::temp_directory_path() /
                          ("vantrel-bench-" + std::to_string(::getpid())) / "kweld.ini";
    vantrel::MediaPlayer player;
    auto window = std::make_unique<vantrel::MainWindow>(settings);
    vantrel::AppState& app = window->State();
    vantrel::VideoViewer viewer(player, app.clickedLinks, app.videoSoundOn);
    window->onDouyinLinks = [&] { viewer.ShowLinks(window.get()); };
    app.currentSource = vantrel::SourceId::kDouyin;
    app.rowLinks = {"https://v.example/share/video/7301/"};

    for (auto _ : state) {
        bool painted = false;
        QElapsedTimer clock;
        clock.start();
        vantrel::OpenRowLink(*window, 0);
        if (auto* surface =
                viewer.Window() ? viewer.Window()->findChild<vantrel::VideoSurface*>() : nullptr) {
            QObject::connect(surface, &vantrel::VideoSurface::FramePainted,
                             [&painted] { painted = true; });
        }
        while (!painted && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!painted) state.SkipWithError("no frame within 10 s");
        delete viewer.Window();
        QCoreApplication::processEvents();
    }
    window.reset();
    std::filesystem::remove_all(settings.parent_path());
    vantrel::SetServiceBase("");
    server.Stop();
}
BENCHMARK(OpenRowToFirstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->DisplayAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    // Painted off screen: the frames go through the same widget painter.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vantrel::SetPendingMessagesHook([] { QCoreApplication::processEvents(); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    vantrel::SetPendingMessagesHook({});
    return 0;
}
