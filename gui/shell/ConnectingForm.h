// The small progress window of logon and log-off: a step text above a gauge,
// above the main window, without a close button. While a step waits for the
// server it says for what and offers Cancel itself: one box per operation.
#pragma once

#include "gui/shell/QtBlockingWait.h"

#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pellar {

class TConnectingForm : public QWidget, public WaitHost {
    Q_OBJECT

public:
    explicit TConnectingForm(QWidget* parent = nullptr);

    void SetStep(const QString& text, int percent);
    void SetPercent(int percent);

    // WaitHost: taken only while the window shows.
    bool BeginWait(const QString& what, std::function<void()> cancel) override;
    void EndWait() override;

    QLabel* EventLabel() const { return eventLabel_; }
    // What the step waits for, while it waits.
    QLabel* WaitLabel() const { return waitLabel_; }
    QProgressBar* Gauge1() const { return gauge_; }
    // Always there; enabled while a wait can be given up.
    QPushButton* CancelButton() const { return cancelButton_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* eventLabel_;
    QLabel* waitLabel_;
    QProgressBar* gauge_;
    QPushButton* cancelButton_;
    std::function<void()> cancel_;
};

} // namespace pellar
