// The main window's status bar: notices (panel 0), the key command being
// typed (panel 1), the animated busy indicator (panel 2) and whether the
// link is encrypted, and after a lost link the countdown to the next try
// to connect again, with its Cancel.
#pragma once

#include <QStatusBar>

class QLabel;
class QPushButton;

namespace pellar {

class TBusyPanel;

class TMainStatusBar : public QStatusBar {
    Q_OBJECT

public:
    explicit TMainStatusBar(QWidget* parent = nullptr);

    void SetNotice(const QString& text);
    QString Notice() const;
    void SetKeyCommand(const QString& text);
    QString KeyCommand() const;
    void SetBusyText(const QString& text);
    QString BusyText() const;

    void SetPhase(qint64 phase);
    // encryption: "TLSv1.3, <cipher>" for an encrypted link, empty for a
    // plain one; online false clears the panel.
    void SetLinkSecurity(bool online, const QString& encryption);
    QString LinkSecurity() const;
    // The countdown line and its Cancel; an empty text hides both.
    void SetReconnect(const QString& text);
    QString Reconnect() const;

    QLabel* NoticePanel() const { return notice_; }
    QLabel* KeyCommandPanel() const { return keyCommand_; }
    QLabel* EncryptionPanel() const { return encryption_; }
    TBusyPanel* BusyPanel() const { return busy_; }
    QLabel* ReconnectPanel() const { return reconnect_; }
    QPushButton* ReconnectCancelButton() const { return reconnectCancel_; }

signals:
    // Cancel beside the countdown: no more tries.
    void ReconnectCancelled();

private:
    QLabel* notice_;
    QLabel* keyCommand_;
    QLabel* encryption_;
    TBusyPanel* busy_;
    QLabel* reconnect_;
    QPushButton* reconnectCancel_;
};

} // namespace pellar
