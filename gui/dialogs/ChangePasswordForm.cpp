#include "gui/dialogs/ChangePasswordForm.h"

#include "gui/dialogs/DialogHelpers.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MiravoCompletionEdit.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TChangePasswordForm::TChangePasswordForm(const GuiServices* services, QWidget* parent)
    : QDialog(parent), services_(services)
{
    setWindowTitle(tr("Change password"));
    userEdit_ = new TMiravoCompletionEdit(this);
    userEdit_->setObjectName(QStringLiteral("UserEdit"));
    userEdit_->setAccessibleName(tr("Name"));
    userEdit_->SetServices(services);
    userEdit_->SetConfTypes(TMVConfType::ctUsers);
    oldPwdEdit_ = PasswordEdit(QStringLiteral("OldPwdEdit"), this);
    pwdEdit_ = PasswordEdit(QStringLiteral("PwdEdit"), this);
    confirmPwdEdit_ = PasswordEdit(QStringLiteral("ConfirmPwdEdit"), this);

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), WithCompleteButton(userEdit_, this));
    form->addRow(tr("&Old pwd:"), oldPwdEdit_);
    form->addRow(tr("&Password:"), pwdEdit_);
    form->addRow(tr("&Confirm pwd:"), confirmPwdEdit_);
    QDialogButtonBox* buttons = OkCancelButtons(this, &okButton_);
    connect(okButton_, &QPushButton::clicked, this, &TChangePasswordForm::OkClick);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

void TChangePasswordForm::Prepare(const QString& name)
{
    userEdit_->SetText(name);
    oldPwdEdit_->clear();
    pwdEdit_->clear();
    confirmPwdEdit_->clear();
    person_ = -1;
}

QString TChangePasswordForm::OldPassword() const { return oldPwdEdit_->text(); }
QString TChangePasswordForm::NewPassword() const { return pwdEdit_->text(); }
QString TChangePasswordForm::ConfirmPassword() const { return confirmPwdEdit_->text(); }

void TChangePasswordForm::OkClick()
{
    const int32_t person = userEdit_->ConferenceNumber();
    if (person == -1) {
        if (!userEdit_->LookupFailed())
            PostUserMessage(services_, "!Invalid user name", this);
        userEdit_->setFocus();
        return;
    }
    person_ = person;
    accept();
}

} // namespace pellar
