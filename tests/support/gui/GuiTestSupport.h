// The thin Qt layer of the test support, for the window tests: answering the
// next modal dialog, screenshots on request, and the messages a scripted
// session received as Qt strings. The session itself is SessionClient.
#pragma once

#include <QApplication>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "support/SessionClient.h"

namespace pellar::test {

// Answers the next modal dialog of type T once it is up.
template <typename T>
void AnswerDialog(std::function<void(T*)> answer)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(10);
}

// Saves a picture of the widget when PELLAR_SCREENSHOT_DIR is set, so the
// windows can be looked at without a display.
inline void SaveScreenshot(QWidget* widget, const QString& name)
{
    const QString dir = qEnvironmentVariable("PELLAR_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// The messages the session received so far, as the server sent them (Latin-1).
inline QStringList Received(SessionClient& session)
{
    QStringList texts;
    for (const std::string& text : session.Received())
        texts << QString::fromLatin1(text);
    return texts;
}

} // namespace pellar::test
