#include "app/desktop_alerts.h"

#include <QTimer>

#include "app/list_actions.h"
#include "app/list_history.h"
#include "app/main_window.h"
#include "app/stored_list.h"

namespace vantrel {

DesktopAlerts::DesktopAlerts(MainWindow& window, QDBusConnection bus,
                             std::filesystem::path notifiedPath)
    : QObject(&window),
      window_(window),
      notified_(std::move(notifiedPath)),
      notifier_(std::move(bus), this),
      watch_(window.State(), notified_, [this](const AlertNotice& n) { notifier_.Show(n); }) {
    notifier_.onActivated = [this](const AlertNotice& notice) { Open(notice); };
    RememberStoredLists();
    window.Refresh().SetFillListener([this](SourceId source, const FetchResult& result) {
        watch_.OnListFilled(source, result);
        if (source != window_.State().currentSource) return;
        // After the fill has finished: these fetches let events run.
        QTimer::singleShot(0, this, [this] {
            watch_.WatchOtherSources(window_.State().currentSource, [this](SourceId other) {
                return window_.Refresh().Routine(other);
            });
        });
    });
}

void DesktopAlerts::RememberStoredLists() {
    ListHistory* history = window_.History();
    if (!history) return;
    for (int n = 1; n <= SOURCE_COUNT; ++n) {
        const auto source = static_cast<SourceId>(n);
        if (const std::optional<HistoryList> stored = history->Latest(source))
            watch_.RememberList(source, StoredAnswer(*stored));
    }
}

void DesktopAlerts::Open(const AlertNotice& notice) {
    if (notice.alerts.size() == 1) {
        const HotAlert& alert = notice.alerts.front();
        OpenListEntry(window_, alert.source, alert.title, alert.page, alert.links);
        return;
    }
    window_.RestoreFromTray();
    window_.Refresh().SelectSource(notice.source);
}

}  // namespace vantrel
