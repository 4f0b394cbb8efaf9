#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

namespace vantrel::test {

// Collects what the program hands to the default browser, once installed as
// QDesktopServices' handler of a scheme (slot "Open"). A test binary that
// includes this lists it among its sources, so that it is given its meta-object.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QStringList urls;
  public slots:
    void Open(const QUrl& url) { urls << QString::fromUtf8(url.toEncoded()); }
};

}  // namespace vantrel::test
