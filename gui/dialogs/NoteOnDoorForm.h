// "Message of the day": shows a conference's notice text, subject and date
// centred above the body. Escape or a right click closes it.
#pragma once

#include <QDateTime>
#include <QDialog>

namespace pellar {

class TMiravoTextEdit;

class TNoteOnDoorForm : public QDialog {
    Q_OBJECT

public:
    explicit TNoteOnDoorForm(QWidget* parent = nullptr);

    // The body comes already reformatted (soft line breaks joined).
    void ShowText(const QString& subject, const QDateTime& created, const QString& body);
    // The text could not be fetched: the window stays empty.
    void Clear();

    TMiravoTextEdit* TextEdit() const { return textEdit_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TMiravoTextEdit* textEdit_;
};

} // namespace pellar
