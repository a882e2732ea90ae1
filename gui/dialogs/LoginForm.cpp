#include "gui/dialogs/LoginForm.h"

#include "gui/dialogs/DialogHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TLoginForm::TLoginForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Login"));
    // No close button: the dialog ends through Ok or Cancel only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    cfgComboBox_ = new QComboBox(this);
    cfgComboBox_->setObjectName(QStringLiteral("CfgComboBox"));
    cfgComboBox_->addItem(kDefaultProfile);
    hostEdit_ = new QLineEdit(this);
    hostEdit_->setObjectName(QStringLiteral("HostEdit"));
    portEdit_ = new QLineEdit(this);
    portEdit_->setObjectName(QStringLiteral("PortEdit"));
    userEdit_ = new QLineEdit(this);
    userEdit_->setObjectName(QStringLiteral("UserEdit"));
    pwdEdit_ = PasswordEdit(QStringLiteral("PwdEdit"), this);
    tlsCheckBox_ = new QCheckBox(tr("&Encrypted connection (TLS)"), this);
    tlsCheckBox_->setObjectName(QStringLiteral("TlsCheckBox"));

    auto* form = new QFormLayout;
    form->addRow(tr("Profile:"), cfgComboBox_);
    form->addRow(tr("&Host:"), hostEdit_);
    form->addRow(tr("P&ort:"), portEdit_);
    form->addRow(QString(), tlsCheckBox_);
    form->addRow(tr("&Name:"), userEdit_);
    form->addRow(tr("&Password:"), pwdEdit_);
    // The check box sits under the port it changes.
    setTabOrder(portEdit_, tlsCheckBox_);
    setTabOrder(tlsCheckBox_, userEdit_);
    QDialogButtonBox* buttons = OkCancelButtons(this, &okButton_);
    connect(okButton_, &QPushButton::clicked, this, [this] {
        createAccount_ = false;
        accept();
    });
    // A first visit to a server: the way to an account is a button, not a
    // mistyped name.
    createButton_ = buttons->addButton(tr("Create &account..."), QDialogButtonBox::ActionRole);
    createButton_->setObjectName(QStringLiteral("CreateAccountButton"));
    createButton_->setToolTip(tr("Create a new person with the name above on this server"));
    connect(createButton_, &QPushButton::clicked, this, [this] {
        createAccount_ = true;
        accept();
    });
    connect(userEdit_, &QLineEdit::textChanged, this, &TLoginForm::UpdateOk);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(340);

    connect(cfgComboBox_, &QComboBox::currentIndexChanged, this, &TLoginForm::LoadProfile);
    connect(hostEdit_, &QLineEdit::textChanged, this, &TLoginForm::UpdateOk);
    connect(portEdit_, &QLineEdit::textChanged, this, &TLoginForm::UpdateOk);
    connect(tlsCheckBox_, &QCheckBox::toggled, this, &TLoginForm::TlsToggled);
    UpdateOk();
}

void TLoginForm::SetProfiles(const QStringList& names)
{
    const QSignalBlocker blocker(cfgComboBox_);
    cfgComboBox_->clear();
    cfgComboBox_->addItem(kDefaultProfile);
    cfgComboBox_->addItems(names);
}

QString TLoginForm::SelectedProfile() const
{
    return cfgComboBox_->currentIndex() <= 0 ? QString() : cfgComboBox_->currentText();
}

QString TLoginForm::Host() const { return hostEdit_->text(); }
QString TLoginForm::Port() const { return portEdit_->text(); }
QString TLoginForm::User() const { return userEdit_->text(); }
QString TLoginForm::Password() const { return pwdEdit_->text(); }
bool TLoginForm::Tls() const { return tlsCheckBox_->isChecked(); }

void TLoginForm::TlsToggled(bool)
{
    const QString shown = portEdit_->text();
    portEdit_->setText(otherPort_);
    otherPort_ = shown;
}

void TLoginForm::showEvent(QShowEvent* event)
{
    {
        const QSignalBlocker blocker(cfgComboBox_);
        const int initial = initialProfile_.isEmpty() ? -1 : cfgComboBox_->findText(initialProfile_);
        cfgComboBox_->setCurrentIndex(initial > 0 ? initial : 0);
    }
    LoadProfile();
    QDialog::showEvent(event);
    createAccount_ = false;
    // A first start has no name yet: the name is where to begin.
    if (userEdit_->text().isEmpty())
        userEdit_->setFocus();
    else
        pwdEdit_->setFocus();
}

void TLoginForm::LoadProfile()
{
    if (!loader_)
        return;
    const Fields fields = loader_(SelectedProfile());
    hostEdit_->setText(fields.host);
    {
        const QSignalBlocker blocker(tlsCheckBox_);
        tlsCheckBox_->setChecked(fields.tls);
    }
    portEdit_->setText(fields.tls ? fields.tlsPort : fields.port);
    otherPort_ = fields.tls ? fields.port : fields.tlsPort;
    userEdit_->setText(fields.user);
    pwdEdit_->setText(fields.password);
}

void TLoginForm::UpdateOk()
{
    // A logon needs somewhere to go: a host and a port number that exists.
    bool portOk = false;
    const int port = portEdit_->text().trimmed().toInt(&portOk);
    const bool where = !hostEdit_->text().trimmed().isEmpty() && portOk && port > 0 && port <= 65535;
    okButton_->setEnabled(where);
    createButton_->setEnabled(where && !userEdit_->text().trimmed().isEmpty());
}

} // namespace pellar
