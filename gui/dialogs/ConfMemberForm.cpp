#include "gui/dialogs/ConfMemberForm.h"

#include "gui/dialogs/DialogHelpers.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MiravoCompletionEdit.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TConfMemberForm::TConfMemberForm(const GuiServices* services, QWidget* parent)
    : QDialog(parent), services_(services)
{
    confEdit_ = new TMiravoCompletionEdit(this);
    confEdit_->setObjectName(QStringLiteral("ConfEdit"));
    confEdit_->setAccessibleName(tr("Conference"));
    confEdit_->SetServices(services);
    confEdit_->SetConfTypes(TMVConfType::ctConferences);
    userEdit_ = new TMiravoCompletionEdit(this);
    userEdit_->setObjectName(QStringLiteral("UserEdit"));
    userEdit_->setAccessibleName(tr("User"));
    userEdit_->SetServices(services);
    userEdit_->SetConfTypes(TMVConfType::ctUsers);

    auto* form = new QFormLayout;
    form->addRow(tr("&Conference:"), WithCompleteButton(confEdit_, this));
    form->addRow(tr("&User:"), WithCompleteButton(userEdit_, this));
    QDialogButtonBox* buttons = OkCancelButtons(this, &okButton_);
    connect(okButton_, &QPushButton::clicked, this, &TConfMemberForm::OkClick);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

void TConfMemberForm::Prepare(const QString& caption)
{
    setWindowTitle(caption);
    confEdit_->SetText(QString());
    userEdit_->SetText(QString());
    person_ = conference_ = -1;
}

void TConfMemberForm::OkClick()
{
    const int32_t person = userEdit_->ConferenceNumber();
    if (person == -1) {
        if (!userEdit_->LookupFailed())
            PostUserMessage(services_, "!Invalid user", this);
        userEdit_->setFocus();
        return;
    }
    const int32_t conference = confEdit_->ConferenceNumber();
    if (conference == -1) {
        if (!confEdit_->LookupFailed())
            PostUserMessage(services_, "!Invalid conference", this);
        confEdit_->setFocus();
        return;
    }
    person_ = person;
    conference_ = conference;
    accept();
}

} // namespace pellar
