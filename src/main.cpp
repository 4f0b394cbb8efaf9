#include <QApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/desktop_alerts.h"
#include "app/history_actions.h"
#include "app/list_actions.h"
#include "app/main_window.h"
#include "cli/command_line.h"
#include "cli/history_printer.h"
#include "cli/list_exporter.h"
#include "cli/list_printer.h"
#include "history/history_store.h"
#include "media/media_player.h"
#include "net/pending_messages.h"
#include "settings/settings_window.h"
#include "sources/demo/demo_server.h"
#include "sources/list_fetchers.h"
#include "sources/service_hosts.h"
#include "toolkit/core_bridge.h"
#include "viewer/video_viewer.h"

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the window is closed from the event loop
// when the byte arrives.
void OnTerminate(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

bool InstallTerminateHandlers() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

constexpr std::array<vantrel::FetchResult (*)(), vantrel::SOURCE_COUNT> kFetchRoutines = {
    vantrel::FetchWeibo, vantrel::FetchBaidu, vantrel::FetchToutiao, vantrel::FetchDouyin};

vantrel::FetchRoutine FetchRoutineOf(vantrel::SourceId source) {
    return kFetchRoutines[static_cast<int>(source) - 1];
}

// A store that cannot be used leaves the lists as they are and says so once.
void TellStoreProblem(const vantrel::HistoryStore& store) {
    if (!store.Problem().empty()) std::fprintf(stderr, "history: %s\n", store.Problem().c_str());
}

int WritePrinted(const vantrel::PrintedList& printed, bool verbose) {
    std::fwrite(printed.output.data(), 1, printed.output.size(), stdout);
    if (!printed.rulesStatus.empty()) std::fprintf(stderr, "%s\n", printed.rulesStatus.c_str());
    if (!printed.reason.empty()) std::fprintf(stderr, "%s\n", printed.reason.c_str());
    if (verbose) std::fprintf(stderr, "%s\n", printed.health.c_str());
    return printed.status;
}

int PrintAndExit(const vantrel::CommandLine& options) {
    const vantrel::SourceId source = *vantrel::SourceFromName(options.print);
    vantrel::HistoryStore store;
    TellStoreProblem(store);
    if (options.stored) {
        const vantrel::StoredPrint stored = vantrel::PrintStored(source, options.json, store);
        if (!stored.fetchedAt.empty()) std::fprintf(stderr, "%s\n", stored.fetchedAt.c_str());
        return WritePrinted(stored.printed, options.verbose);
    }
    return WritePrinted(vantrel::PrintList(source, FetchRoutineOf(source), options.json,
                                           vantrel::SettingsPath(), &store),
                        options.verbose);
}

int HistoryAndExit(const vantrel::CommandLine& options) {
    vantrel::HistoryStore store;
    TellStoreProblem(store);
    return WritePrinted(vantrel::PrintHistory(*vantrel::SourceFromName(options.history),
                                              options.since, options.json, store),
                        false);
}

int ExportAndExit(const vantrel::CommandLine& options) {
    const vantrel::SourceId source = *vantrel::SourceFromName(options.exportSource);
    const vantrel::ExportedList exported =
        vantrel::ExportList(source, FetchRoutineOf(source), options.exportFile);
    if (!exported.rulesStatus.empty()) std::fprintf(stderr, "%s\n", exported.rulesStatus.c_str());
    if (!exported.reason.empty()) std::fprintf(stderr, "%s\n", exported.reason.c_str());
    return exported.status;
}

// Tests follow the age label and the rows from outside through this log: one
// line per change of the label, "text<TAB>rows<TAB>first title" (UTF-8).
void LogAgeTextForTests(vantrel::MainWindow& window) {
    const char* path = std::getenv("VANTREL_STATUS_LOG");
    if (!path || !*path) return;
    const std::string file = path;
    window.onAgeText = [&window, file](const QString& text) {
        vantrel::ListModel& list = window.List();
        const QString first =
            list.ItemCount() > 0
                ? vantrel::QStringFromLocal(list.ItemTitle(0, vantrel::COLUMN_TITLE))
                : QString();
        const QByteArray line = (text + QLatin1Char('\t') + QString::number(list.ItemCount()) +
                                 QLatin1Char('\t') + first + QLatin1Char('\n'))
                                    .toUtf8();
        if (std::FILE* log = std::fopen(file.c_str(), "a")) {
            std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), log);
            std::fclose(log);
        }
    };
}

// Tests set this to see the timed export without waiting whole minutes.
int AutoSavePeriodForTests() {
    const char* ms = std::getenv("VANTREL_AUTO_SAVE_PERIOD_MS");
    return ms ? std::atoi(ms) : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef __GLIBC__
    // Answers of megabytes pass through request threads, each with a heap of
    // its own that would keep their pages; blocks this large are mapped on
    // their own and go back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    // Every thread that allocates (request chains, the demo server's workers)
    // would otherwise get an arena of its own, each keeping the pages it
    // once used; two are plenty for a few short requests at a time.
    mallopt(M_ARENA_MAX, 2);
#endif
    const vantrel::CommandLine options = vantrel::ParseCommandLine(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "%s: %s (try --help)\n", argv[0], options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(vantrel::CommandLineUsage(argv[0]).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(vantrel::VersionText().c_str(), stdout);
        return 0;
    }
    if (options.stored && options.print.empty()) {
        std::fprintf(stderr, "%s: --stored goes with --print (try --help)\n", argv[0]);
        return 2;
    }
    if (!options.history.empty()) return HistoryAndExit(options);
    // The demo server lives as long as the program; every host points at it.
    std::unique_ptr<vantrel::DemoServer> demo;
    std::string serviceBase = options.serviceBase;
    if (options.demo) {
        demo = std::make_unique<vantrel::DemoServer>(options.demoFallback);
        if (!demo->Start()) {
            std::fputs("the demo server could not start on 127.0.0.1\n", stderr);
            return 1;
        }
        serviceBase = demo->Base();
    }
    if (!vantrel::SetServiceBase(serviceBase)) {
        std::fprintf(stderr, "--service-base wants scheme://host[:port], not %s\n",
                     options.serviceBase.c_str());
        return 2;
    }

    vantrel::SetServiceTimeoutSeconds(options.timeoutSeconds);

    if (!options.print.empty()) return PrintAndExit(options);
    if (!options.exportSource.empty()) return ExportAndExit(options);

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vantrel"));
    // The installed menu entry: task bars match the window to it.
    app.setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));
    // A hidden window (in the tray) is still the running program.
    app.setQuitOnLastWindowClosed(false);
    // Network waits let the window repaint and the timers tick.
    vantrel::SetPendingMessagesHook([] { QCoreApplication::processEvents(); });

    // The program's global objects, made once for the whole run.
    // The one media player; the video window makes its control.
    vantrel::MediaPlayer player;
    auto window = std::make_unique<vantrel::MainWindow>();
    window->SetAutoSavePeriodForTests(AutoSavePeriodForTests());
    LogAgeTextForTests(*window);
    // Every list the window fills is kept; a store that cannot be used says so in the age
    // label's tooltip and on standard error, and the lists go on without it.
    window->UseHistory(std::make_unique<vantrel::ListHistory>());
    TellStoreProblem(window->History()->Store());
    vantrel::VideoViewer viewer(player, window->State().clickedLinks, window->State().videoSoundOn);
    window->onDouyinLinks = [&viewer, &window] { viewer.ShowLinks(window.get()); };
    for (int n = 1; n <= vantrel::SOURCE_COUNT; ++n) {
        const auto source = static_cast<vantrel::SourceId>(n);
        window->Refresh().SetFetchRoutine(source, FetchRoutineOf(source));
    }
    vantrel::InstallListActions(*window);
    vantrel::InstallHistoryActions(*window);
    // Owned by the window; listens to the lists it fills from the first one on.
    new vantrel::DesktopAlerts(*window);
    window->onOpenSettings = [&window] { vantrel::OpenSettingsWindow(*window); };
    // Start-up's first fetch lets events run before there is a loop for quit()
    // to end, so a close (or a signal) then is remembered here and honoured.
    bool closed = false;
    QObject::connect(window.get(), &vantrel::MainWindow::Closed, &app, [&closed] {
        closed = true;
        QCoreApplication::quit();
    });

    std::unique_ptr<QSocketNotifier> terminate;
    if (InstallTerminateHandlers()) {
        terminate = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(terminate.get(), &QSocketNotifier::activated, window.get(), [&] {
            unsigned char byte = 0;
            while (read(signalPipe[0], &byte, 1) == 1) {
            }
            window->close();
        });
    }

    window->StartUp();
    int status = 0;
    if (!closed) {
        window->show();
        status = app.exec();
    }
    // The window goes before the application: its destruction writes the settings.
    window.reset();
    vantrel::SetPendingMessagesHook({});
    if (demo) demo->Stop();
    return status;
}
