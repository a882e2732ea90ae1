// The "Encryption" group of the connection settings: whether the profile
// connects encrypted, the server's TLS port, and the certificate the user
// trusted for it, which can only be forgotten here (a logon pins it).
#pragma once

#include <QGroupBox>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pellar {

class TTlsSettingsBox : public QGroupBox {
    Q_OBJECT

public:
    explicit TTlsSettingsBox(QWidget* parent = nullptr);

    // The pin as stored ("<fingerprint> <host:port>", or empty).
    void ShowPin(const std::string& value);
    std::string PinValue() const { return pin_; }
    // Enables the port edit as the check box says (grey counts as off).
    void UpdateEdits();

    QCheckBox* UseTlsCheckBox() const { return useTls_; }
    QLineEdit* TlsPortEdit() const { return port_; }
    QLabel* PinLabel() const { return pinLabel_; }
    QPushButton* ForgetButton() const { return forget_; }

private:
    QCheckBox* useTls_;
    QLineEdit* port_;
    QLabel* pinLabel_;
    QPushButton* forget_;
    std::string pin_;
};

} // namespace pellar
