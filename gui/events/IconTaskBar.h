// The status indicator that tells the user a message (state 2) or an
// important text (state 1) arrived: an icon in the system tray, or, where the
// desktop has no tray, the main window asking for attention. On request the
// icon stays in the tray between alerts, showing the number of unread texts.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

class QWidget;

namespace pellar {

class TIconTaskBar : public QObject {
    Q_OBJECT

public:
    explicit TIconTaskBar(QWidget* mainWindow, QObject* parent = nullptr);
    ~TIconTaskBar() override;

    // Remembers the state; shows the icon unless it is shown already.
    void ShowIcon(int state);
    void HideIcon();
    // Changes the icon; a shown icon is shown again with the same state.
    void SetIcon(const QIcon& icon);
    int State() const { return state_; }
    bool Visible() const { return shown_; }
    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);
    // Whether a real tray icon is used (false: QApplication::alert instead).
    bool UsesTray() const { return tray_ != nullptr; }
    void SetUseTray(bool use);

    // The icon stays in the tray (with a tray) and shows count between alerts.
    void SetPermanent(bool on);
    bool Permanent() const { return permanent_; }
    void SetUnreadCount(int count);
    int UnreadCount() const { return unread_; }
    QSystemTrayIcon* TrayIcon() const { return tray_; }
    // The icon with the count drawn on it (none for 0), and its tool tip.
    static QIcon CountIcon(const QIcon& base, int count);
    static QString CountText(int count);

    // What the tray reports, as mouse events.
    void HandleActivation(QSystemTrayIcon::ActivationReason reason);

signals:
    void OnShow();
    void OnClose();
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void OnMouseMove();
    void OnEvent(int reason);

private:
    QIcon BaseIcon() const;
    // Between alerts: the permanent icon, or none.
    void ShowResting();

    QPointer<QWidget> mainWindow_;
    QSystemTrayIcon* tray_ = nullptr;
    QIcon icon_;
    QString hint_;
    int state_ = 0;
    bool shown_ = false;
    bool permanent_ = false;
    int unread_ = 0;
};

} // namespace pellar
