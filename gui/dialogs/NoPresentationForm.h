// Asked at the end of logon when the user has no presentation yet.
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace pellar {

class TNoPresentationForm : public QDialog {
    Q_OBJECT

public:
    explicit TNoPresentationForm(QWidget* parent = nullptr);

    QCheckBox* DontShowCheckBox() const { return dontShowBox_; }
    QPushButton* YesButton() const { return yesButton_; }
    QPushButton* NoButton() const { return noButton_; }

signals:
    // Whenever the dialog is hidden: the state to store as "NoPresentationPrompt".
    void DontShowAgainChanged(bool dontShowAgain);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QCheckBox* dontShowBox_;
    QPushButton* yesButton_;
    QPushButton* noButton_;
};

} // namespace pellar
