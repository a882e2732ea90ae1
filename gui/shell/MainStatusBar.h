// The main window's status bar: notices (panel 0), the key command being
// typed (panel 1) and the animated busy indicator (panel 2).
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

    QLabel* NoticePanel() const { return notice_; }
    QLabel* KeyCommandPanel() const { return keyCommand_; }
    TBusyPanel* BusyPanel() const { return busy_; }

private:
    QLabel* notice_;
    QLabel* keyCommand_;
    TBusyPanel* busy_;
};

} // namespace pellar
