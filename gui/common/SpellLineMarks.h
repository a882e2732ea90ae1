// Underlines misspelt words in a one-line field. A line edit has no document
// to highlight; what it does have is the input method's text formats, which
// it draws over the text as it draws a word being composed. The marks are
// set through that way after every change, and never while the user is in
// the middle of composing a character (they would end the composition).
#pragma once

#include "core/writing/SpellWords.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QLineEdit;

namespace pellar {

class SpellService;

class SpellLineMarks : public QObject {
    Q_OBJECT

public:
    SpellLineMarks(QLineEdit* edit, SpellService* service);

    // The words underlined now.
    const std::vector<SpellWordRange>& Marked() const { return marked_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Marks again on the next turn of the event loop: not inside the line
    // edit's own change signal.
    void Queue();
    void Apply();

    QLineEdit* edit_;
    QPointer<SpellService> service_;
    std::vector<SpellWordRange> marked_;
    QString markedText_;
    bool queued_ = false;
    bool composing_ = false;
    bool applying_ = false;
};

} // namespace pellar
