// "Login": pick a profile and confirm or change the server, port, user and
// password for this logon, or ask for a new account there. The dialog stores
// nothing itself; the logon keeps what worked in the chosen profile.
#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace pellar {

class TLoginForm : public QDialog {
    Q_OBJECT

public:
    // What a profile says about a logon, with the defaults already applied
    // and the password already un-obscured (empty unless it is saved).
    struct Fields {
        QString host;
        QString port;
        QString user;
        QString password;
        bool tls = false;
        QString tlsPort{};  // the port edit shows it while the TLS box is checked
    };
    // Reads a profile's fields; "" names the default profile.
    using ProfileLoader = std::function<Fields(const QString& profile)>;

    explicit TLoginForm(QWidget* parent = nullptr);

    void SetProfileLoader(ProfileLoader loader) { loader_ = std::move(loader); }
    // The named profiles, in store order; "*Default*" is always first.
    void SetProfiles(const QStringList& names);

    // The profile selected when the dialog shows ("" or unknown: "*Default*").
    void SetInitialProfile(const QString& name) { initialProfile_ = name; }
    // The chosen profile's name, "" for "*Default*".
    QString SelectedProfile() const;
    // Closed with "Create account..." rather than Ok: the name is for a new
    // person, whose password the new-account dialog asks for.
    bool CreateAccountChosen() const { return createAccount_; }
    QString Host() const;
    QString Port() const;
    QString User() const;
    QString Password() const;
    bool Tls() const;

    QComboBox* CfgComboBox() const { return cfgComboBox_; }
    QLineEdit* HostEdit() const { return hostEdit_; }
    QLineEdit* PortEdit() const { return portEdit_; }
    QLineEdit* UserEdit() const { return userEdit_; }
    QLineEdit* PwdEdit() const { return pwdEdit_; }
    QCheckBox* TlsCheckBox() const { return tlsCheckBox_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CreateAccountButton() const { return createButton_; }

    static inline const QString kDefaultProfile = QStringLiteral("*Default*");

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadProfile();
    void UpdateOk();
    // Swaps the port edit between the plain and the TLS port.
    void TlsToggled(bool on);

    ProfileLoader loader_;
    QComboBox* cfgComboBox_;
    QLineEdit* hostEdit_;
    QLineEdit* portEdit_;
    QLineEdit* userEdit_;
    QLineEdit* pwdEdit_;
    QCheckBox* tlsCheckBox_;
    // The port of the mode not shown, as loaded or last edited.
    QString otherPort_;
    QPushButton* okButton_ = nullptr;
    QPushButton* createButton_ = nullptr;
    QString initialProfile_;
    bool createAccount_ = false;
};

} // namespace pellar
