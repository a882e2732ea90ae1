// The reading window's find dialog: finds a word in the article pane,
// downward or upward, with or without case, one "Find next" at a time. It
// stays open beside the text while the user reads the matches.
#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace pellar {

class TFindDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFindDialog(QWidget* parent = nullptr);

    // The pane searched; asked for at each search, as the window may swap it.
    void SetTarget(std::function<QTextEdit*()> target) { target_ = std::move(target); }
    // Shows the dialog with the word selected, ready for typing.
    void Open();

    // One search from the caret in the chosen direction; false (and a note
    // in the dialog) when there is no further match.
    bool FindNext();

    QLineEdit* FindEdit() const { return findEdit_; }
    QCheckBox* MatchCaseBox() const { return matchCase_; }
    QRadioButton* DownButton() const { return down_; }
    QRadioButton* UpButton() const { return up_; }
    QPushButton* FindNextButton() const { return findNext_; }
    QLabel* NoteLabel() const { return note_; }

private:
    std::function<QTextEdit*()> target_;
    QLineEdit* findEdit_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
    QPushButton* findNext_;
    QLabel* note_;
};

} // namespace pellar
