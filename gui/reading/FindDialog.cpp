#include "gui/reading/FindDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace pellar {

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(tr("Find"));
    setModal(false);

    auto* label = new QLabel(tr("Fi&nd what:"), this);
    findEdit_ = new QLineEdit(this);
    label->setBuddy(findEdit_);
    matchCase_ = new QCheckBox(tr("Match &case"), this);
    auto* direction = new QGroupBox(tr("Direction"), this);
    up_ = new QRadioButton(tr("&Up"), direction);
    down_ = new QRadioButton(tr("&Down"), direction);
    down_->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);
    note_ = new QLabel(this);

    findNext_ = new QPushButton(tr("&Find Next"), this);
    findNext_->setDefault(true);
    findNext_->setEnabled(false);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext_);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* fields = new QGridLayout;
    fields->addWidget(label, 0, 0);
    fields->addWidget(findEdit_, 0, 1);
    fields->addWidget(matchCase_, 1, 0, 1, 2);
    fields->addWidget(direction, 2, 0, 1, 2);
    fields->addWidget(note_, 3, 0, 1, 2);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    connect(findEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        findNext_->setEnabled(!text.isEmpty());
        note_->clear();
    });
    connect(findNext_, &QPushButton::clicked, this, &TFindDialog::FindNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    resize(380, sizeHint().height());
}

void TFindDialog::Open()
{
    show();
    raise();
    activateWindow();
    findEdit_->setFocus();
    findEdit_->selectAll();
}

bool TFindDialog::FindNext()
{
    QTextEdit* edit = target_ ? target_() : nullptr;
    const QString what = findEdit_->text();
    if (!edit || what.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (matchCase_->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (up_->isChecked())
        flags |= QTextDocument::FindBackward;
    if (edit->find(what, flags)) {
        note_->clear();
        return true;
    }
    note_->setText(tr("Cannot find \"%1\".").arg(what));
    QApplication::beep();
    return false;
}

} // namespace pellar
