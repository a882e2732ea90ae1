// "Create conference": the name of a new conference and its four type boxes.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace pellar {

class TCreateConfForm : public QDialog {
    Q_OBJECT

public:
    explicit TCreateConfForm(QWidget* parent = nullptr);

    // Empty name, open and comments allowed, neither secret nor anonymous.
    void Reset();

    QString Name() const;
    bool OpenForEveryone() const;
    bool AllowComments() const;
    bool Secret() const;
    bool AllowAnonymous() const;

    QLineEdit* NameEdit() const { return nameEdit_; }
    QCheckBox* OpenCheckBox() const { return openBox_; }
    QCheckBox* CommentsCheckBox() const { return commentsBox_; }
    QCheckBox* SecretCheckBox() const { return secretBox_; }
    QCheckBox* AnonymousCheckBox() const { return anonymousBox_; }
    QPushButton* OkButton() const { return okButton_; }

private:
    void UpdateOk();

    QLineEdit* nameEdit_;
    QCheckBox* openBox_;
    QCheckBox* commentsBox_;
    QCheckBox* secretBox_;
    QCheckBox* anonymousBox_;
    QPushButton* okButton_ = nullptr;
};

} // namespace pellar
