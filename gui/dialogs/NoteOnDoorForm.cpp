#include "gui/dialogs/NoteOnDoorForm.h"

#include "gui/common/MiravoTextEdit.h"
#include "gui/common/QtLocalePort.h"

#include <QMouseEvent>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVBoxLayout>

namespace pellar {

namespace {

QTextCharFormat Style(const QString& family, int points, bool bold)
{
    QTextCharFormat format;
    QFont font(family, points);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    format.setFont(font);
    return format;
}

} // namespace

TNoteOnDoorForm::TNoteOnDoorForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Message of the day"));
    setWindowFlags(windowFlags() | Qt::Tool);
    setSizeGripEnabled(true);
    textEdit_ = new TMiravoTextEdit(this);
    textEdit_->setObjectName(QStringLiteral("TextEdit"));
    textEdit_->setReadOnly(true);
    textEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    textEdit_->setAccessibleName(tr("Message of the day"));
    textEdit_->setContextMenuPolicy(Qt::NoContextMenu);
    textEdit_->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(textEdit_);
    resize(480, 320);
}

void TNoteOnDoorForm::Clear()
{
    textEdit_->clear();
}

void TNoteOnDoorForm::ShowText(const QString& subject, const QDateTime& created, const QString& body)
{
    textEdit_->clear();
    QTextCursor cursor(textEdit_->document());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);

    // Plain insertText everywhere: the server's text is never markup.
    cursor.setBlockFormat(centred);
    cursor.insertText(subject, Style(QStringLiteral("Arial"), 14, true));
    const QString when = QtLocalePort::DateTimeText(created);
    cursor.insertBlock(centred);
    cursor.insertText(when, Style(QStringLiteral("Arial"), 12, true));
    cursor.insertBlock(left);
    cursor.insertText(body, Style(QStringLiteral("MS Sans Serif"), 10, false));
    textEdit_->moveCursor(QTextCursor::Start);
}

bool TNoteOnDoorForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == textEdit_->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pellar
