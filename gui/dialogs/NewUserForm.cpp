#include "gui/dialogs/NewUserForm.h"

#include "gui/dialogs/DialogHelpers.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

namespace {

const char* HintFor(const QString& field)
{
    if (field == QLatin1String("UserEdit"))
        return QT_TRANSLATE_NOOP("pellar::TNewUserForm", "Enter a user name and organization, e.g. \"Anna Berg, ACME\"");
    if (field == QLatin1String("PwdEdit"))
        return QT_TRANSLATE_NOOP("pellar::TNewUserForm", "Enter the password to use on this server.\r\n"
               "Please note that this password is sent unscrambled on the net. Don't use passwords from other "
               "systems!");
    if (field == QLatin1String("ConfirmPwdEdit"))
        return QT_TRANSLATE_NOOP("pellar::TNewUserForm", "Enter the same password again to confirm.");
    return nullptr;
}

} // namespace

TNewUserForm::TNewUserForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("New account"));
    userEdit_ = new QLineEdit(this);
    userEdit_->setObjectName(QStringLiteral("UserEdit"));
    pwdEdit_ = PasswordEdit(QStringLiteral("PwdEdit"), this);
    confirmPwdEdit_ = PasswordEdit(QStringLiteral("ConfirmPwdEdit"), this);
    hintEdit_ = new QPlainTextEdit(this);
    hintEdit_->setObjectName(QStringLiteral("HintEdit"));
    hintEdit_->setReadOnly(true);
    hintEdit_->setFrameShape(QFrame::NoFrame);
    hintEdit_->setFocusPolicy(Qt::NoFocus);
    hintEdit_->setFixedHeight(hintEdit_->fontMetrics().lineSpacing() * 4 + 8);
    QPalette hintPalette = hintEdit_->palette();
    hintPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    hintEdit_->setPalette(hintPalette);

    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), userEdit_);
    form->addRow(tr("&Password:"), pwdEdit_);
    form->addRow(tr("&Confirm pwd:"), confirmPwdEdit_);
    QDialogButtonBox* buttons = OkCancelButtons(this, &okButton_);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hintEdit_);
    layout->addWidget(buttons);
    setMinimumWidth(400);

    for (QLineEdit* edit : {userEdit_, pwdEdit_, confirmPwdEdit_}) {
        edit->installEventFilter(this);
        // The hint pane takes no focus; a screen reader hears it with the field.
        edit->setAccessibleDescription(tr(HintFor(edit->objectName())).remove(QLatin1Char('\r')));
    }
    connect(userEdit_, &QLineEdit::textChanged, this, &TNewUserForm::UpdateOk);
    UpdateOk();
}

void TNewUserForm::Prepare(const QString& name)
{
    userEdit_->setText(name);
    pwdEdit_->clear();
    confirmPwdEdit_->clear();
}

QString TNewUserForm::Name() const { return userEdit_->text(); }
QString TNewUserForm::Password() const { return pwdEdit_->text(); }
bool TNewUserForm::PasswordsMatch() const { return pwdEdit_->text() == confirmPwdEdit_->text(); }

void TNewUserForm::UpdateOk()
{
    okButton_->setEnabled(!userEdit_->text().trimmed().isEmpty());
}

bool TNewUserForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (const char* hint = HintFor(watched->objectName()))
            hintEdit_->setPlainText(tr(hint));
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pellar
