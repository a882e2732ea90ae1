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
    explicit TWaitForm(const QString& what, QWidget* parent = nullptr);

    QLabel* WaitLabel() const { return label_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    QLabel* label_;
    QPushButton* cancel_;
};

} // namespace pellar
