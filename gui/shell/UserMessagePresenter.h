// Shows the texts of the user-message queue, one message box titled "Pellar"
// at a time, on the GUI thread. The first character picks the icon: "!" an
// error, "i" information, anything else none; it is not shown.
#pragma once

#include <string_view>

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <functional>

class QTimer;

namespace pellar {

class TEvent;
class UserMessageQueue;

class UserMessagePresenter : public QObject {
    Q_OBJECT

public:
    // Shows one message and returns when the user has closed it.
    using Shower = std::function<void(QMessageBox::Icon, const QString&)>;

    // While disconnecting is set, queued texts are dropped unseen.
    UserMessagePresenter(UserMessageQueue& queue, TEvent& disconnecting, QWidget* owner, QObject* parent = nullptr);

    // Replaces the message box (tests record instead).
    void SetShower(Shower shower) { shower_ = std::move(shower); }

    // Shows the oldest queued text, if any and no box is open yet.
    void ShowNext();

    // The box's icon for a queued text (UserMessageIcon).
    static QMessageBox::Icon IconFor(std::string_view message);

private:
    void ShowBox(QMessageBox::Icon icon, const QString& text);

    UserMessageQueue& queue_;
    TEvent& disconnecting_;
    QPointer<QWidget> owner_;
    Shower shower_;
    QTimer* timer_;
    bool showing_ = false;
};

} // namespace pellar
