#include "gui/dialogs/OfflineMessageForm.h"

#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace pellar {

TOfflineMessageForm::TOfflineMessageForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Offline message"));
    messageMemo_ = new QPlainTextEdit(this);
    messageMemo_->setObjectName(QStringLiteral("MessageMemo"));
    messageMemo_->setAccessibleName(tr("Message"));
    messageMemo_->setAccessibleDescription(tr("The reply sent to messages while you are away"));
    replyToAllBox_ = new QCheckBox(tr("Reply to conference messages"), this);
    sendCountEdit_ = new QLineEdit(this);
    sendCountEdit_->setObjectName(QStringLiteral("SendCountEdit"));
    sendCountEdit_->setReadOnly(true);
    sendCountEdit_->setText(QStringLiteral("0"));

    // Replies go out unattended: what they would lose is said while typing.
    lossNote_ = new QLabel(this);
    lossNote_->setObjectName(QStringLiteral("LossNoteLabel"));
    lossNote_->setWordWrap(true);
    lossNote_->hide();
    connect(messageMemo_, &QPlainTextEdit::textChanged, this, [this] {
        const QString missing = UnencodableCharacters(Message());
        lossNote_->setText(missing.isEmpty() ? QString()
                                             : tr("Replies go out as %1, which cannot hold: %2. They "
                                                              "show \"?\" in their place.")
                                                   .arg(QString::fromLatin1(WireCharsetName(ActiveWireCharset())),
                                                        DescribeCharacters(missing)));
        lossNote_->setVisible(!missing.isEmpty());
    });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* counts = new QFormLayout;
    counts->addRow(tr("Replies sent:"), sendCountEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageMemo_, 1);
    layout->addWidget(lossNote_);
    layout->addWidget(replyToAllBox_);
    layout->addLayout(counts);
    layout->addWidget(buttons);
    resize(400, 260);
}

QString TOfflineMessageForm::Message() const { return messageMemo_->toPlainText(); }
void TOfflineMessageForm::SetMessage(const QString& message) { messageMemo_->setPlainText(message); }
bool TOfflineMessageForm::ReplyToAll() const { return replyToAllBox_->isChecked(); }
void TOfflineMessageForm::SetReplyToAll(bool on) { replyToAllBox_->setChecked(on); }
void TOfflineMessageForm::SetSendCount(int count) { sendCountEdit_->setText(QString::number(count)); }

void TOfflineMessageForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        emit Showing();
    QDialog::showEvent(event);
}

void TOfflineMessageForm::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        emit Hidden(Message(), ReplyToAll());
}

void TOfflineMessageForm::done(int result)
{
    QDialog::done(result);
    emit Closed();
}

} // namespace pellar
