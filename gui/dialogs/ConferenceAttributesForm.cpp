#include "gui/dialogs/ConferenceAttributesForm.h"

#include "gui/common/WindowFrame.h"

#include "core/writing/WritingSession.h"

#include "gui/dialogs/DialogHelpers.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoCompletionEdit.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TConferenceAttributesForm::TConferenceAttributesForm(WritingSession& session, const GuiServices* services, int32_t conf,
                                                     QWidget* parent)
    : QWidget(parent), writing_(session.Services({})), model_(*writing_, conf)
{
    setObjectName(QStringLiteral("ConferenceAttributesForm"));
    setWindowTitle(tr("Conference attributes"));
    setAttribute(Qt::WA_DeleteOnClose);

    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("NameEdit"));
    nameEdit_->setReadOnly(true);
    nameEdit_->setEnabled(false);
    open_ = new QCheckBox(tr("&Open for everyone"), this);
    open_->setObjectName(QStringLiteral("OpenCheckBox"));
    allowComments_ = new QCheckBox(tr("Allow &comments"), this);
    allowComments_->setObjectName(QStringLiteral("AllowCommentsCheckBox"));
    secret_ = new QCheckBox(tr("&Secret"), this);
    secret_->setObjectName(QStringLiteral("SecretCheckBox"));
    allowAnon_ = new QCheckBox(tr("Allow &anonymous texts"), this);
    allowAnon_->setObjectName(QStringLiteral("AllowAnonCheckBox"));
    superConf_ = new TMiravoCompletionEdit(this);
    superConf_->setObjectName(QStringLiteral("SuperConfEdit"));
    superConf_->setAccessibleName(tr("Super conf"));
    superConf_->SetServices(services);
    supervisor_ = new TMiravoCompletionEdit(this);
    supervisor_->setObjectName(QStringLiteral("SupervisorEdit"));
    supervisor_->setAccessibleName(tr("Supervisor"));
    supervisor_->SetServices(services);

    auto* form = new QFormLayout;
    auto addRow = [&](const QString& caption, QWidget* field, QWidget* buddy) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(buddy);
        form->addRow(label, field);
    };
    addRow(tr("&Name:"), nameEdit_, nameEdit_);
    form->addRow(QString(), open_);
    form->addRow(QString(), allowComments_);
    form->addRow(QString(), secret_);
    form->addRow(QString(), allowAnon_);
    addRow(tr("Su&per conf:"), WithCompleteButton(superConf_, this), superConf_);
    addRow(tr("S&upervisor:"), WithCompleteButton(supervisor_, this), supervisor_);

    ok_ = new QPushButton(tr("Ok"), this);
    ok_->setObjectName(QStringLiteral("OkButton"));
    ok_->setDefault(true);
    apply_ = new QPushButton(tr("Apply"), this);
    apply_->setObjectName(QStringLiteral("ApplyButton"));
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    connect(ok_, &QPushButton::clicked, this, [this] {
        Save();
        CloseWithFrame(this);
    });
    connect(apply_, &QPushButton::clicked, this, [this] {
        Save();
        Load();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { CloseWithFrame(this); });
}

void TConferenceAttributesForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Load();
    }
}

void TConferenceAttributesForm::ShowMessage(const std::string& message)
{
    const QString text = FromWire(message);
    if (show_)
        show_(text);
    else
        QMessageBox::information(this, windowTitle(), text);
}

bool TConferenceAttributesForm::Load()
{
    std::string error;
    const auto view = model_.Load(error);
    if (!view) {
        ShowMessage(error);
        return false;
    }
    superConf_->SetConferenceNumber(view->superConf);
    supervisor_->SetConferenceNumber(view->supervisor);
    open_->setChecked(view->checks.open);
    allowComments_->setChecked(view->checks.allowComments);
    secret_->setChecked(view->checks.secret);
    allowAnon_->setChecked(view->checks.allowAnonymous);
    nameEdit_->setText(FromWire(view->name));
    return true;
}

void TConferenceAttributesForm::Save()
{
    ConferenceTypeChecks checks;
    checks.open = open_->isChecked();
    checks.allowComments = allowComments_->isChecked();
    checks.secret = secret_->isChecked();
    checks.allowAnonymous = allowAnon_->isChecked();
    // An entry that resolves to nothing sends -1.
    auto resolve = [](TMiravoCompletionEdit* edit) -> std::optional<int32_t> {
        const int32_t n = edit->ConferenceNumber();
        return n >= 0 ? std::optional<int32_t>(n) : std::nullopt;
    };
    for (const std::string& message : model_.Save(checks, resolve(superConf_), resolve(supervisor_)))
        ShowMessage(message);
}

} // namespace pellar
