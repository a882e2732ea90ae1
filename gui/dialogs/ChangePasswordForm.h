// Asks for the person, the old password and the new one twice.
#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;
class QPushButton;

namespace pellar {

struct GuiServices;
class TMiravoCompletionEdit;

class TChangePasswordForm : public QDialog {
    Q_OBJECT

public:
    TChangePasswordForm(const GuiServices* services, QWidget* parent = nullptr);

    // The current person's name, the three passwords empty.
    void Prepare(const QString& name);

    // Valid after Ok.
    int32_t PersonNumber() const { return person_; }
    QString OldPassword() const;
    QString NewPassword() const;
    QString ConfirmPassword() const;

    TMiravoCompletionEdit* UserEdit() const { return userEdit_; }
    QLineEdit* OldPwdEdit() const { return oldPwdEdit_; }
    QLineEdit* PwdEdit() const { return pwdEdit_; }
    QLineEdit* ConfirmPwdEdit() const { return confirmPwdEdit_; }
    QPushButton* OkButton() const { return okButton_; }

private:
    void OkClick();

    const GuiServices* services_;
    TMiravoCompletionEdit* userEdit_;
    QLineEdit* oldPwdEdit_;
    QLineEdit* pwdEdit_;
    QLineEdit* confirmPwdEdit_;
    QPushButton* okButton_ = nullptr;
    int32_t person_ = -1;
};

} // namespace pellar
