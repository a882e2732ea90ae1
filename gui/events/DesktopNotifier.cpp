#include "gui/events/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace pellar {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that has not said what it can do by then is taken as absent.
constexpr int kCapabilityTimeoutMs = 2000;

} // namespace

FreedesktopNotifier::FreedesktopNotifier(QObject* parent) : DesktopNotifier(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
    // Asked once, without waiting: until the service answers (a service
    // that is only activatable is started by the question) the tray alone
    // alerts, and one that never answers is never used.
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCapabilityTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        QDBusPendingReply<QStringList> reply = *watcher;
        available_ = !reply.isError();
        bodyMarkup_ = available_ && reply.value().contains(QStringLiteral("body-markup"));
        watcher->deleteLater();
    });
}

bool FreedesktopNotifier::Available()
{
    return available_;
}

void FreedesktopNotifier::Show(const QString& title, const QString& body, const QString& tag)
{
    if (!Available())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, tr("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("net.hollin.Pellar"));
    hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
    call << QStringLiteral("Pellar") << uint(0) << QStringLiteral("pellar") << title
         << (bodyMarkup_ ? body.toHtmlEscaped() : body)
         << QStringList{QStringLiteral("default"), tr("Show")} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, tag] {
        QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError())
            available_ = false;  // the service went away: the tray goes on alone
        else
            tags_.insert(reply.value(), tag);
        watcher->deleteLater();
    });
}

void FreedesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    const auto it = tags_.constFind(id);
    if (it == tags_.constEnd() || action != QStringLiteral("default"))
        return;
    emit Activated(*it);
}

void FreedesktopNotifier::OnClosed(uint id, uint)
{
    tags_.remove(id);
}

} // namespace pellar
