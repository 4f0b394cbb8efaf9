#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <map>

#include "app/hot_alert.h"

class QDBusPendingCallWatcher;

namespace vantrel {

// Shows alert notices through the desktop's notification service
// (org.freedesktop.Notifications on the session bus), with the program's
// icon and a default action. Every call is asynchronous with a short time-out,
// so without a bus or a service the notices are dropped and nothing waits.
class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    void Show(const AlertNotice& notice);

    // The user took the default action of a notice shown by this notifier.
    std::function<void(const AlertNotice&)> onActivated;

    // How many Notify calls wait for their answer; for tests.
    int Pending() const { return pending_; }

  private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

  private:
    void OnCapabilities(QDBusPendingCallWatcher* call);

    QDBusConnection bus_;
    bool bodyMarkup_ = false;  // the service reads the body as markup: escape it
    int pending_ = 0;
    std::map<uint, AlertNotice> shown_;
};

}  // namespace vantrel
