// The main window's status bar: notices (panel 0), the key command being
// typed (panel 1), the animated busy indicator (panel 2) and whether the
// link is encrypted.
#pragma once

#include <QStatusBar>

class QLabel;

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

    QLabel* NoticePanel() const { return notice_; }
    QLabel* KeyCommandPanel() const { return keyCommand_; }
    QLabel* EncryptionPanel() const { return encryption_; }
    TBusyPanel* BusyPanel() const { return busy_; }

private:
    QLabel* notice_;
    QLabel* keyCommand_;
    QLabel* encryption_;
    TBusyPanel* busy_;
};

} // namespace pellar
