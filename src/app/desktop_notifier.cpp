#include "app/desktop_notifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>

#include "app/marker_images.h"
#include "toolkit/core_bridge.h"

namespace vantrel {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The installed icon's theme name, which is also the menu entry's name.
const QString kAppId = QStringLiteral("org.vantrel.Vantrel");
// A service that does not answer within this is taken as absent.
constexpr int kCallTimeoutMs = 3000;

// The "image-data" hint: raw RGBA rows, so the icon shows even where the
// program's icon is not installed in the icon theme.
struct IconPixels {
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool hasAlpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray data;
};

QDBusArgument& operator<<(QDBusArgument& out, const IconPixels& icon) {
    out.beginStructure();
    out << icon.width << icon.height << icon.rowStride << icon.hasAlpha << icon.bitsPerSample
        << icon.channels << icon.data;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, IconPixels& icon) {
    in.beginStructure();
    in >> icon.width >> icon.height >> icon.rowStride >> icon.hasAlpha >> icon.bitsPerSample >>
        icon.channels >> icon.data;
    in.endStructure();
    return in;
}

IconPixels ProgramIconPixels() {
    const QImage image =
        QImageFromImage(ProgramIconImage(2)).convertToFormat(QImage::Format_RGBA8888);
    IconPixels icon;
    icon.width = image.width();
    icon.height = image.height();
    icon.rowStride = static_cast<int>(image.bytesPerLine());
    icon.data = QByteArray(reinterpret_cast<const char*>(image.constBits()),
                           static_cast<qsizetype>(image.sizeInBytes()));
    return icon;
}

QDBusMessage Call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

}  // namespace vantrel

Q_DECLARE_METATYPE(vantrel::IconPixels)

namespace vantrel {

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<IconPixels>();
    if (!bus_.isConnected()) return;
    // Any sender: naming the service would make Qt ask the bus for its owner
    // and wait for the answer.
    bus_.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(OnClosed(uint, uint)));
    auto* capabilities =
        new QDBusPendingCallWatcher(bus_.asyncCall(Call("GetCapabilities"), kCallTimeoutMs), this);
    connect(capabilities, &QDBusPendingCallWatcher::finished, this,
            &DesktopNotifier::OnCapabilities);
}

void DesktopNotifier::OnCapabilities(QDBusPendingCallWatcher* call) {
    const QDBusPendingReply<QStringList> reply = *call;
    bodyMarkup_ = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
    call->deleteLater();
}

void DesktopNotifier::Show(const AlertNotice& notice) {
    if (!bus_.isConnected() || notice.alerts.empty()) return;
    QString body = QString::fromStdString(AlertBody(notice));
    if (bodyMarkup_) body = body.toHtmlEscaped();
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), kAppId);
    hints.insert(QStringLiteral("image-data"), QVariant::fromValue(ProgramIconPixels()));
    QDBusMessage message = Call(QStringLiteral("Notify"));
    message << QStringLiteral("Vantrel") << uint(0) << kAppId
            << QString::fromStdString(AlertSummary(notice)) << body
            << QStringList{QStringLiteral("default"), QStringLiteral("查看")} << hints << int(-1);
    ++pending_;
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(message, kCallTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, notice](QDBusPendingCallWatcher* w) {
                --pending_;
                const QDBusPendingReply<uint> reply = *w;
                if (!reply.isError()) shown_[reply.value()] = notice;
                w->deleteLater();
            });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto found = shown_.find(id);
    if (found == shown_.end() || action != QStringLiteral("default")) return;
    const AlertNotice notice = found->second;
    if (onActivated) onActivated(notice);
}

void DesktopNotifier::OnClosed(uint id, uint) {
    shown_.erase(id);
}

}  // namespace vantrel
