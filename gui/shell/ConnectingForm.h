// The small progress window of logon and log-off: a step text above a gauge,
// on top of the main window, without a close button.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace pellar {

class TConnectingForm : public QWidget {
    Q_OBJECT

public:
    explicit TConnectingForm(QWidget* parent = nullptr);

    void SetStep(const QString& text, int percent);
    void SetPercent(int percent);

    QLabel* EventLabel() const { return eventLabel_; }
    QProgressBar* Gauge1() const { return gauge_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* eventLabel_;
    QProgressBar* gauge_;
};

} // namespace pellar
