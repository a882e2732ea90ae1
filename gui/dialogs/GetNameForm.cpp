#include "gui/dialogs/GetNameForm.h"

#include "gui/dialogs/DialogHelpers.h"
#include "gui/common/GuiServices.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TGetNameForm::TGetNameForm(const GuiServices* services, QWidget* parent)
    : QDialog(parent), services_(services)
{
    auto* group = new QGroupBox(QStringLiteral("&Name"), this);
    nameEdit_ = new TMiravoCompletionEdit(group);
    nameEdit_->setObjectName(QStringLiteral("NameEdit"));
    nameEdit_->SetServices(services);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(WithCompleteButton(nameEdit_, group));

    QDialogButtonBox* buttons = OkCancelButtons(this, &okButton_);
    connect(okButton_, &QPushButton::clicked, this, &TGetNameForm::OkClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    setMinimumWidth(340);
}

void TGetNameForm::Prepare(const QString& title, const QString& defaultName, TMVConfTypes types)
{
    setWindowTitle(title);
    nameEdit_->SetConfTypes(types);
    nameEdit_->SetText(defaultName);
    number_ = -1;
}

void TGetNameForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    nameEdit_->setFocus();
}

void TGetNameForm::OkClick()
{
    if (nameEdit_->text().isEmpty()) {
        QApplication::beep();
        return;
    }
    const int32_t number = nameEdit_->ConferenceNumber();
    if (number == -1) {
        if (!nameEdit_->LookupFailed())
            PostUserMessage(services_, "!No matching names found", this);
        nameEdit_->setFocus();
        return;
    }
    number_ = number;
    accept();
}

int32_t TGetNameForm::Prompt(const GuiServices* services, QWidget* parent, const QString& title,
                             const QString& defaultName, TMVConfTypes types)
{
    TGetNameForm form(services, parent);
    form.Prepare(title, defaultName, types);
    return form.exec() == QDialog::Accepted ? form.Number() : -1;
}

} // namespace pellar
