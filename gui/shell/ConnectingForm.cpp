#include "gui/shell/ConnectingForm.h"

#include <QLabel>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

#include <utility>
#include <QVBoxLayout>

namespace pellar {

TConnectingForm::TConnectingForm(QWidget* parent)
    // A tool window of the main window: above it, not above every other
    // program and not over the program's own questions.
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("ConnectingForm"));
    // It stands for the operation under way: while it shows, the other
    // windows take no input, as under the wait box it stands in for.
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Pellar"));
    eventLabel_ = new QLabel(this);
    eventLabel_->setObjectName(QStringLiteral("EventLabel"));
    gauge_ = new QProgressBar(this);
    gauge_->setObjectName(QStringLiteral("Gauge1"));
    gauge_->setRange(0, 100);
    gauge_->setTextVisible(false);
    waitLabel_ = new QLabel(this);
    waitLabel_->setObjectName(QStringLiteral("WaitLabel"));
    waitLabel_->setTextFormat(Qt::PlainText);
    cancelButton_ = new QPushButton(tr("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    cancelButton_->setEnabled(false);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        // Once: the wait ends and takes the offer back.
        if (auto cancel = std::exchange(cancel_, nullptr))
            cancel();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(eventLabel_);
    layout->addWidget(gauge_);
    layout->addWidget(waitLabel_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    layout->addLayout(buttons);
    setMinimumWidth(260);
}

void TConnectingForm::SetStep(const QString& text, int percent)
{
    eventLabel_->setText(text);
    SetPercent(percent);
}

bool TConnectingForm::BeginWait(const QString& what, std::function<void()> cancel)
{
    if (!isVisible())
        return false;
    waitLabel_->setText(what);
    cancel_ = std::move(cancel);
    cancelButton_->setEnabled(bool(cancel_));
    return true;
}

void TConnectingForm::EndWait()
{
    waitLabel_->clear();
    cancel_ = nullptr;
    cancelButton_->setEnabled(false);
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
