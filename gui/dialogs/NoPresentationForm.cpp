#include "gui/dialogs/NoPresentationForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TNoPresentationForm::TNoPresentationForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Presentation"));
    auto* text = new QLabel(tr("You have no presentation.\n"
                                           "It is a good idea to have a presentation.\n"
                                           "\n"
                                           "Would you like to write one now?"),
                            this);
    text->setTextFormat(Qt::PlainText);
    dontShowBox_ = new QCheckBox(tr("&Don't show this dialog again"), this);
    dontShowBox_->setObjectName(QStringLiteral("DontShowCheckBox"));

    auto* buttons = new QDialogButtonBox(this);
    yesButton_ = buttons->addButton(tr("&Yes"), QDialogButtonBox::YesRole);
    noButton_ = buttons->addButton(tr("&No"), QDialogButtonBox::NoRole);
    yesButton_->setDefault(true);
    connect(yesButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(noButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(dontShowBox_);
    layout->addWidget(buttons);
}

void TNoPresentationForm::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        emit DontShowAgainChanged(dontShowBox_->isChecked());
}

} // namespace pellar
