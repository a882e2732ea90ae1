#include "gui/config/TlsSettingsBox.h"

#include "core/config/CertificatePin.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pellar {

TTlsSettingsBox::TTlsSettingsBox(QWidget* parent) : QGroupBox(tr("Encryption"), parent)
{
    useTls_ = new QCheckBox(tr("&Encrypted connection (TLS)"), this);
    useTls_->setObjectName(QStringLiteral("UseTlsCheckBox"));
    port_ = new QLineEdit(this);
    port_->setObjectName(QStringLiteral("TlsPortEdit"));
    pinLabel_ = new QLabel(this);
    pinLabel_->setObjectName(QStringLiteral("TlsPinLabel"));
    pinLabel_->setTextFormat(Qt::PlainText);
    pinLabel_->setWordWrap(true);
    pinLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    forget_ = new QPushButton(tr("&Forget"), this);
    forget_->setObjectName(QStringLiteral("ForgetCertButton"));
    forget_->setToolTip(tr("The next logon checks the server's certificate afresh"));

    auto* pinRow = new QHBoxLayout;
    pinRow->addWidget(pinLabel_, 1);
    pinRow->addWidget(forget_);
    auto* form = new QFormLayout(this);
    form->addRow(useTls_);
    form->addRow(tr("TLS p&ort:"), port_);
    form->addRow(tr("Trusted certificate:"), pinRow);

    connect(useTls_, &QCheckBox::stateChanged, this, &TTlsSettingsBox::UpdateEdits);
    connect(forget_, &QPushButton::clicked, this, [this] { ShowPin({}); });
    ShowPin({});
}

void TTlsSettingsBox::ShowPin(const std::string& value)
{
    pin_ = value;
    const auto pin = ParseCertificatePin(value);
    if (pin) {
        pinLabel_->setText(tr("SHA-256 %1\nfor %2")
                               .arg(QString::fromLatin1(pin->fingerprint.c_str()), QString::fromUtf8(pin->server.c_str())));
    } else {
        pinLabel_->setText(tr("none: the system's certificate authorities decide"));
    }
    forget_->setEnabled(!value.empty());
}

void TTlsSettingsBox::UpdateEdits()
{
    port_->setEnabled(useTls_->checkState() == Qt::Checked);
}

} // namespace pellar
