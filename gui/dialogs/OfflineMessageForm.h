// "Offline message": the automatic reply sent while the user is away, and
// how many replies went out.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace pellar {

class TOfflineMessageForm : public QDialog {
    Q_OBJECT

public:
    explicit TOfflineMessageForm(QWidget* parent = nullptr);

    QString Message() const;
    void SetMessage(const QString& message);
    bool ReplyToAll() const;
    void SetReplyToAll(bool on);
    void SetSendCount(int count);

    QPlainTextEdit* MessageMemo() const { return messageMemo_; }
    QCheckBox* ReplyToAllCheckBox() const { return replyToAllBox_; }
    QLineEdit* SendCountEdit() const { return sendCountEdit_; }
    // Names what the replies cannot carry in the profile's character set;
    // hidden while they can carry all of it.
    QLabel* LossNoteLabel() const { return lossNote_; }

signals:
    // Before showing: load "OfflineMessage" and "OfflineReplyToAll" here.
    void Showing();
    // After hiding: store the two settings back.
    void Hidden(const QString& message, bool replyToAll);
    // The window closed; the away state ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void done(int result) override;

private:
    QPlainTextEdit* messageMemo_;
    QCheckBox* replyToAllBox_;
    QLineEdit* sendCountEdit_;
    QLabel* lossNote_;
};

} // namespace pellar
