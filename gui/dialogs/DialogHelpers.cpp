#include "gui/dialogs/DialogHelpers.h"

#include "gui/common/MiravoCompletionEdit.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace pellar {

namespace {

// The context of this file's texts in the translation.
struct DialogHelpers {
    Q_DECLARE_TR_FUNCTIONS(DialogHelpers)
};

} // namespace

QWidget* WithCompleteButton(TMiravoCompletionEdit* edit, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    edit->setParent(box);
    auto* button = new QToolButton(box);
    button->setText(QStringLiteral("..."));
    button->setObjectName(edit->objectName() + QStringLiteral("CompleteButton"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(QObject::tr("Complete the name"));
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    // A label whose buddy is the box hands its mnemonic on to the edit.
    box->setFocusPolicy(edit->focusPolicy());
    box->setFocusProxy(edit);
    QObject::connect(button, &QToolButton::clicked, edit, [edit] {
        edit->Complete();
        edit->setFocus();
    });
    return box;
}

QDialogButtonBox* OkCancelButtons(QDialog* dialog, QPushButton** ok)
{
    auto* buttons = new QDialogButtonBox(dialog);
    *ok = buttons->addButton(DialogHelpers::tr("Ok"), QDialogButtonBox::AcceptRole);
    (*ok)->setObjectName(QStringLiteral("OkButton"));
    (*ok)->setDefault(true);
    QPushButton* cancel = buttons->addButton(DialogHelpers::tr("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QLineEdit* PasswordEdit(const QString& objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return edit;
}

} // namespace pellar
