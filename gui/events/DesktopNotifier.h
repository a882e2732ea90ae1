// Desktop notifications as a port: the events side says what to show and
// learns which one the user clicked; the freedesktop implementation below
// talks to the session's notification service, tests use a double.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

namespace pellar {

class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether a notification service is there to show them; when not, the
    // tray icon and the window's attention request carry the alert alone.
    virtual bool Available() = 0;
    // title and body are plain text. tag comes back in Activated.
    virtual void Show(const QString& title, const QString& body, const QString& tag) = 0;

signals:
    void Activated(const QString& tag);
};

// org.freedesktop.Notifications on the session bus.
class FreedesktopNotifier : public DesktopNotifier {
    Q_OBJECT

public:
    explicit FreedesktopNotifier(QObject* parent = nullptr);

    bool Available() override;
    void Show(const QString& title, const QString& body, const QString& tag) override;

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    bool available_ = false;
    // Servers that read markup in the body get it escaped; others show
    // entities literally, so they get the text as it is.
    bool bodyMarkup_ = false;
    QHash<uint, QString> tags_;
};

} // namespace pellar
