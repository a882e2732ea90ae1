#include "gui/common/SpellLineMarks.h"

#include "gui/common/SpellHighlighter.h"
#include "gui/common/SpellService.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTimer>

namespace pellar {

SpellLineMarks::SpellLineMarks(QLineEdit* edit, SpellService* service)
    : QObject(edit), edit_(edit), service_(service)
{
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, &SpellLineMarks::Queue);
    connect(service, &SpellService::CheckerChanged, this, &SpellLineMarks::Queue);
    connect(service, &SpellService::WordsChanged, this, &SpellLineMarks::Queue);
    Queue();
}

bool SpellLineMarks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_ && event->type() == QEvent::InputMethod && !applying_) {
        // The input method's own events: a word being composed shows its
        // own underline; ours come back when it is committed.
        const auto* im = static_cast<QInputMethodEvent*>(event);
        composing_ = !im->preeditString().isEmpty();
        if (!composing_)
            Queue();
    }
    return QObject::eventFilter(watched, event);
}

void SpellLineMarks::Queue()
{
    if (queued_)
        return;
    queued_ = true;
    QTimer::singleShot(0, this, [this] {
        queued_ = false;
        Apply();
    });
}

void SpellLineMarks::Apply()
{
    if (composing_)
        return;
    SpellChecker* checker = service_ ? service_->Checker() : nullptr;
    std::vector<SpellWordRange> wrong;
    if (checker && !edit_->isReadOnly() && edit_->echoMode() == QLineEdit::Normal)
        wrong = MisspeltWords(*checker, edit_->text());
    if (wrong == marked_ && edit_->text() == markedText_)
        return;
    marked_ = wrong;
    markedText_ = edit_->text();
    // The formats' places count from the caret; nothing is committed or
    // composed, so text, caret, selection and undo stay as they are.
    const QTextCharFormat format = MisspeltFormat();
    const int caret = edit_->cursorPosition();
    QList<QInputMethodEvent::Attribute> attributes;
    for (const SpellWordRange& word : marked_)
        attributes.append({QInputMethodEvent::TextFormat, int(word.start) - caret, int(word.length), format});
    QInputMethodEvent event(QString(), attributes);
    applying_ = true;
    QCoreApplication::sendEvent(edit_, &event);
    applying_ = false;
}

} // namespace pellar
