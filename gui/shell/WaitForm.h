// The box a long wait for the server shows: what the program waits for and a
// Cancel button. Application-modal while it shows, so the windows behind it
// keep painting but take no input that could start a second command.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace pellar {

class TWaitForm : public QDialog {
    Q_OBJECT

public:
    // cancellable false: the box only says what is awaited.
    TWaitForm(const QString& what, bool cancellable, QWidget* parent = nullptr);

    QLabel* WaitLabel() const { return label_; }
    // Without Cancel, Escape does not hide the box either.
    void reject() override;
    QPushButton* CancelButton() const { return cancel_; }

private:
    QLabel* label_;
    QPushButton* cancel_;
    bool cancellable_;
};

} // namespace pellar
