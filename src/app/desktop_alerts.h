#pragma once

#include <QDBusConnection>
#include <QObject>

#include <filesystem>

#include "app/alert_watch.h"
#include "app/desktop_notifier.h"
#include "rules/notified_titles.h"

namespace vantrel {

class MainWindow;

// The rules' notifications for one main window: every list it fills goes to
// an AlertWatch, which also watches the other sources after each fill of the
// shown one; the notices go to the desktop. A notice's default action opens
// its row as activating the row would; a notice of several titles brings the
// window up on their source instead.
class DesktopAlerts : public QObject {
    Q_OBJECT
  public:
    explicit DesktopAlerts(MainWindow& window, QDBusConnection bus = QDBusConnection::sessionBus(),
                           std::filesystem::path notifiedPath = NotifiedTitlesPath());

    AlertWatch& Watch() { return watch_; }
    DesktopNotifier& Notifier() { return notifier_; }

  private:
    // An earlier run's lists count as each source's previous one.
    void RememberStoredLists();
    void Open(const AlertNotice& notice);

    MainWindow& window_;
    NotifiedTitles notified_;
    DesktopNotifier notifier_;
    AlertWatch watch_;
};

}  // namespace vantrel
