#include "gui/dialogs/GetNameForm.h"

#include "gui/dialogs/DialogHelpers.h"
#include "gui/common/GuiServices.h"
#include "gui/common/WireCodec.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TGetNameForm::TGetNameForm(const GuiServices* services, QWidget* parent)
    : QDialog(parent), services_(services)
{
    auto* group = new QGroupBox(tr("&Name"), this);
    nameEdit_ = new TMiravoCompletionEdit(group);
    nameEdit_->setObjectName(QStringLiteral("NameEdit"));
    nameEdit_->setAccessibleName(tr("Name"));
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
        if (!nameEdit_->LookupFailed()) {
            const NewConference offer = OfferNewConference(nameEdit_->text());
            if (offer == NewConference::Created) {
                accept();
                return;
            }
            if (offer == NewConference::NotOffered)
                PostUserMessage(services_, "!No matching names found", this);
        }
        nameEdit_->setFocus();
        return;
    }
    number_ = number;
    accept();
}

TGetNameForm::NewConference TGetNameForm::OfferNewConference(const QString& name)
{
    // Only where a conference is what is wanted, and a session can make one.
    if (nameEdit_->ConfTypes() != TMVConfTypes(TMVConfType::ctConferences) || !services_ ||
        !services_->createConference)
        return NewConference::NotOffered;
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    tr("No conference matches \"%1\".\n\nCreate a conference with this name?").arg(name),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("NoConferenceBox"));
    QPushButton* create = box.addButton(tr("&Create conference..."), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(create);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() != create)
        return NewConference::Declined;
    const int32_t conf = services_->createConference(ToWire(name));
    if (conf <= 0)
        return NewConference::Declined;
    number_ = conf;
    return NewConference::Created;
}

int32_t TGetNameForm::Prompt(const GuiServices* services, QWidget* parent, const QString& title,
                             const QString& defaultName, TMVConfTypes types)
{
    TGetNameForm form(services, parent);
    form.Prepare(title, defaultName, types);
    return form.exec() == QDialog::Accepted ? form.Number() : -1;
}

} // namespace pellar
