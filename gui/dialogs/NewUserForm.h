// "New account": the name and password of an account to create, with a hint
// for the field that has the focus.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pellar {

class TNewUserForm : public QDialog {
    Q_OBJECT

public:
    explicit TNewUserForm(QWidget* parent = nullptr);

    // The proposed name, both passwords empty.
    void Prepare(const QString& name);

    QString Name() const;
    QString Password() const;
    bool PasswordsMatch() const;

    QLineEdit* UserEdit() const { return userEdit_; }
    QLineEdit* PwdEdit() const { return pwdEdit_; }
    QLineEdit* ConfirmPwdEdit() const { return confirmPwdEdit_; }
    QPlainTextEdit* HintEdit() const { return hintEdit_; }
    QPushButton* OkButton() const { return okButton_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateOk();

    QLineEdit* userEdit_;
    QLineEdit* pwdEdit_;
    QLineEdit* confirmPwdEdit_;
    QPlainTextEdit* hintEdit_;
    QPushButton* okButton_ = nullptr;
};

} // namespace pellar
