#include "gui/dialogs/CreateConfForm.h"

#include "gui/dialogs/DialogHelpers.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TCreateConfForm::TCreateConfForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Create conference"));
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("NameEdit"));
    openBox_ = new QCheckBox(tr("&Open for everyone"), this);
    commentsBox_ = new QCheckBox(tr("Allow &comments"), this);
    secretBox_ = new QCheckBox(tr("&Secret"), this);
    anonymousBox_ = new QCheckBox(tr("Allow &anonymous texts"), this);

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), nameEdit_);
    QDialogButtonBox* buttons = OkCancelButtons(this, &okButton_);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(nameEdit_, &QLineEdit::textChanged, this, &TCreateConfForm::UpdateOk);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* box : {openBox_, commentsBox_, secretBox_, anonymousBox_})
        layout->addWidget(box);
    layout->addWidget(buttons);
    setMinimumWidth(340);
    Reset();
}

void TCreateConfForm::Reset()
{
    nameEdit_->clear();
    openBox_->setChecked(true);
    commentsBox_->setChecked(true);
    secretBox_->setChecked(false);
    anonymousBox_->setChecked(false);
    nameEdit_->setFocus();
    UpdateOk();
}

void TCreateConfForm::UpdateOk()
{
    // A conference needs a name; a blank one would only earn a server error.
    okButton_->setEnabled(!nameEdit_->text().trimmed().isEmpty());
}

QString TCreateConfForm::Name() const { return nameEdit_->text(); }
bool TCreateConfForm::OpenForEveryone() const { return openBox_->isChecked(); }
bool TCreateConfForm::AllowComments() const { return commentsBox_->isChecked(); }
bool TCreateConfForm::Secret() const { return secretBox_->isChecked(); }
bool TCreateConfForm::AllowAnonymous() const { return anonymousBox_->isChecked(); }

} // namespace pellar
