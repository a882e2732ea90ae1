#include "gui/shell/UserMessagePresenter.h"
#include "gui/common/CoreTexts.h"

#include "core/link/UserMessageQueue.h"
#include "core/sync/TEvent.h"
#include "gui/common/UserMessageIcon.h"
#include "gui/common/WireCodec.h"

#include <QApplication>
#include <QTimer>

namespace pellar {

UserMessagePresenter::UserMessagePresenter(UserMessageQueue& queue, TEvent& disconnecting, QWidget* owner,
                                           QObject* parent)
    : QObject(parent), queue_(queue), disconnecting_(disconnecting), owner_(owner)
{
    shower_ = [this](QMessageBox::Icon icon, const QString& text) { ShowBox(icon, text); };
    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &UserMessagePresenter::ShowNext);
    timer_->start();
}

QMessageBox::Icon UserMessagePresenter::IconFor(std::string_view message)
{
    return UserMessageIcon(message);
}

void UserMessagePresenter::ShowNext()
{
    // The box runs its own event loop, in which this timer fires again.
    if (showing_)
        return;
    std::string text;
    if (disconnecting_.IsSet()) {
        while (queue_.Pop(text)) {
        }
        return;
    }
    if (!queue_.Pop(text) || text.empty())
        return;
    showing_ = true;
    shower_(IconFor(text), CoreUserMessageText(text));
    showing_ = false;
}

void UserMessagePresenter::ShowBox(QMessageBox::Icon icon, const QString& text)
{
    QWidget* parent = QApplication::activeWindow();
    if (!parent)
        parent = owner_.data();
    QMessageBox box(icon, QStringLiteral("Pellar"), text, QMessageBox::Ok, parent);
    // Server text is never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace pellar
