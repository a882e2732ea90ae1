#include "gui/shell/WaitForm.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellar {

TWaitForm::TWaitForm(const QString& what, bool cancellable, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), cancellable_(cancellable)
{
    setObjectName(QStringLiteral("WaitForm"));
    setWindowTitle(QStringLiteral("Pellar"));
    setWindowModality(Qt::ApplicationModal);
    label_ = new QLabel(what, this);
    label_->setObjectName(QStringLiteral("WaitLabel"));
    // Host names and labels come from the user and the server: never markup.
    label_->setTextFormat(Qt::PlainText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    cancel_->setVisible(cancellable);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(buttons);
    setMinimumWidth(280);
}

void TWaitForm::reject()
{
    if (cancellable_)
        QDialog::reject();
}

} // namespace pellar
