#include "gui/shell/ConnectingForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace pellar {

TConnectingForm::TConnectingForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ConnectingForm"));
    setWindowTitle(QStringLiteral("Pellar"));
    eventLabel_ = new QLabel(this);
    eventLabel_->setObjectName(QStringLiteral("EventLabel"));
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setRange(0, 100);
    gauge_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(eventLabel_);
    layout->addWidget(gauge_);
    setMinimumWidth(260);
}

void TConnectingForm::SetStep(const QString& text, int percent)
{
    eventLabel_->setText(text);
    SetPercent(percent);
}

void TConnectingForm::SetPercent(int percent)
{
    gauge_->setValue(qBound(0, percent, 100));
}

void TConnectingForm::showEvent(QShowEvent* event)
{
    // Centred over the main window, where the user is looking.
    if (QWidget* owner = parentWidget()) {
        adjustSize();
        const QRect area = owner->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::showEvent(event);
}

} // namespace pellar
